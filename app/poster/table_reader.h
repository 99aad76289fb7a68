// A table of poster texts read as it goes: CSV, tab-separated or plain text in
// UTF-8 (with or without its mark), GBK, or UTF-16 LE with its mark, quoted as
// Excel and WPS write it. Column 1 is the title, 2 the body, 3 an optional
// output file name. Plain C++: no Windows header, built natively too.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace app {

// The bytes fields come out in: UTF-16 input is handed on as UTF-8.
enum class TableEncoding { Undecided, Utf8, Gbk };
enum class TableSeparator { Comma, Tab };

// Why a whole table cannot be read.
enum class TableError { None, Unreadable, Empty, Binary, UnknownEncoding };
// Why one row gives no poster.
enum class RowError { None, TooLong, TooManyColumns, BadEncoding, BadName };
// Why an output name is refused.
enum class NameError {
    None, Empty, TooLong, Reserved, Separator, DriveOrStream, Wildcard, Control, EndsInDotOrSpace, DotsOnly
};

const char* TableErrorText(TableError e);  // GBK
const char* RowErrorText(RowError e);
const char* NameErrorText(NameError e);

struct TableRow {
    int line = 0;  // the row as Excel numbers it: its record, from 1 (quoted line breaks do not count)
    std::string title, body, name;  // line breaks inside quoted fields are LF
    bool hasTitle = true;           // a table with a header of its own names may have none
    bool hasBody = false;           // a second column was there (perhaps empty)
    std::vector<std::string> cells;  // with a header of its own names: every cell, by the header's columns
    TableEncoding encoding = TableEncoding::Utf8;  // of title, body and name (ASCII-only rows: Utf8)
    RowError error = RowError::None;
    NameError nameError = NameError::None;
};

// Bytes pulled on demand: fills at most capacity bytes, 0 at the end.
using ByteSource = std::function<size_t(uint8_t* buffer, size_t capacity)>;

struct TableLimits {
    size_t fieldBytes = 64 * 1024;  // a longer field makes its row TooLong
    size_t chunkBytes = 64 * 1024;  // read at a time
};

// The separator a file name suggests: ".csv" commas, anything else tabs.
TableSeparator SeparatorForName(const std::string& fileName);

class TableReader {
public:
    TableReader(ByteSource source, TableSeparator separator, TableLimits limits = {});
    // The next row with some content (blank lines and a header row are
    // skipped); false at the end or when the table cannot be read (error()).
    bool Next(TableRow* row);
    TableError error() const { return error_; }
    // A first row some of whose cells namesColumn accepts (as the table's
    // encoding gives them) is the table's header, naming its columns: the
    // title, body and name columns are then found by their header words
    // wherever they stand, and every other column is kept by its name.
    using ColumnNames = std::function<bool(const std::string& cell, TableEncoding encoding)>;
    void SetColumnNames(ColumnNames namesColumn) { namesColumn_ = std::move(namesColumn); }
    // The header's names, trimmed (empty: the columns are title, body, name).
    const std::vector<std::string>& header() const { return header_; }
    TableEncoding encoding() const { return encoding_; }
    int rowsSeen() const { return rows_; }

private:
    bool Start();
    bool Fill();
    int Peek();  // the next byte of the normalised stream, -1 at the end
    void Take() { ++pos_; }
    bool ReadRecord(std::vector<std::string>* fields, bool* tooLong, int* line);
    void DecideEncoding();
    bool LooksLikeHeader(const std::vector<std::string>& fields) const;
    bool NamesColumns(const std::vector<std::string>& fields) const;
    int HeaderColumn(size_t role) const;  // 0 title, 1 body, 2 name; -1 when the header has none

    ByteSource source_;
    TableSeparator separator_;
    TableLimits limits_;
    TableEncoding encoding_ = TableEncoding::Undecided;
    TableError error_ = TableError::None;
    bool started_ = false, utf16_ = false, ended_ = false, sawContent_ = false, headerChecked_ = false;
    bool extra_ = false;           // the record had text beyond the columns the table uses
    ColumnNames namesColumn_;
    std::vector<std::string> header_;
    std::vector<uint8_t> pending_; // the first bytes, read to see the mark
    std::vector<uint8_t> chunk_;   // each read's bytes
    std::vector<uint8_t> raw_;     // UTF-16 bytes not yet converted (an odd byte, a high surrogate)
    std::string buffer_;         // the stream as UTF-8 or GBK bytes
    size_t pos_ = 0;
    int records_ = 0, rows_ = 0;
};

// An output name as the table gives it, checked in the table's encoding: no
// folder parts, drive letters, wildcards, control characters or reserved
// device names; the stem only (a ".png"/".jpg"/".jpeg" ending is dropped).
NameError CheckOutputName(const std::string& name, TableEncoding encoding);
std::string OutputStem(const std::string& name);

// UTF-16 LE code units to UTF-8 (a lone surrogate becomes U+FFFD).
void AppendUtf16AsUtf8(const uint16_t* units, size_t count, std::string* out);

}  // namespace app
