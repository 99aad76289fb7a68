#include "app/poster/table_reader.h"
#include <algorithm>
#include <cstring>

namespace app {

namespace {

constexpr size_t kNameLimit = 120;  // bytes: leaves room for the folders in a 260-character path
constexpr size_t kColumnsKept = 3;
// A table with a header of its own names may have this many columns.
constexpr size_t kNamedColumnsKept = 64;
constexpr size_t kSniffBytes = 4096;  // looked at for a mark and for NUL bytes before any row

bool IsAscii(uint8_t c) { return c < 0x80; }

// Length of a UTF-8 sequence starting at text[i], 0 when malformed; a sequence
// cut by the end of the text counts as whole when allowCut.
size_t Utf8Length(const std::string& text, size_t i, bool allowCut) {
    const uint8_t c = static_cast<uint8_t>(text[i]);
    size_t n = c < 0x80 ? 1 : c >= 0xC2 && c <= 0xDF ? 2 : (c & 0xF0) == 0xE0 ? 3 : c >= 0xF0 && c <= 0xF4 ? 4 : 0;
    for (size_t k = 1; k < n; ++k) {
        if (i + k >= text.size()) return allowCut ? n : 0;
        if ((static_cast<uint8_t>(text[i + k]) & 0xC0) != 0x80) return 0;
    }
    return n;
}

size_t GbkLength(const std::string& text, size_t i) {
    const uint8_t c = static_cast<uint8_t>(text[i]);
    if (c < 0x80) return 1;
    if (c == 0x80 || c == 0xFF || i + 1 >= text.size()) return 0;
    const uint8_t t = static_cast<uint8_t>(text[i + 1]);
    return t >= 0x40 && t <= 0xFE && t != 0x7F ? 2 : 0;
}

size_t CharLength(const std::string& text, size_t i, TableEncoding encoding) {
    return encoding == TableEncoding::Gbk ? GbkLength(text, i) : Utf8Length(text, i, false);
}

// Well-formed in the encoding, and no NUL (a binary file's mark).
bool WellFormed(const std::string& text, TableEncoding encoding) {
    for (size_t i = 0; i < text.size();) {
        size_t n = CharLength(text, i, encoding);
        if (n == 0 || text[i] == '\0') return false;
        i += n;
    }
    return true;
}

std::string Trimmed(const std::string& s) {
    size_t b = s.find_first_not_of(" \t"), e = s.find_last_not_of(" \t");
    return b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
}

std::string AsciiLower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

bool EndsWithNoCase(const std::string& s, const char* tail) {
    const size_t n = strlen(tail);
    return s.size() >= n && AsciiLower(s.substr(s.size() - n)) == tail;
}

// Header words per column, in both encodings a table's text may be in
// (GBK literals; UTF-8 spelled out).
struct HeaderWords {
    std::vector<const char*> words;
};
const HeaderWords kHeaderWords[kColumnsKept] = {
    {{"title", "标题", "\xE6\xA0\x87\xE9\xA2\x98"}},
    {{"body", "text", "文案", "\xE6\x96\x87\xE6\xA1\x88"}},
    {{"name", "file", "filename", "文件名", "\xE6\x96\x87\xE4\xBB\xB6\xE5\x90\x8D"}},
};

const char* const kReservedNames[] = {"con", "prn", "aux", "nul", "conin$", "conout$", "com1", "com2",
                                      "com3", "com4", "com5", "com6", "com7", "com8", "com9", "lpt1",
                                      "lpt2", "lpt3", "lpt4", "lpt5", "lpt6", "lpt7", "lpt8", "lpt9"};

struct Mark {
    const char* bytes;
    size_t size;
    TableError refusal;  // None: a mark this reader takes
};

}  // namespace

const char* TableErrorText(TableError e) {
    switch (e) {
    case TableError::None: return "";
    case TableError::Unreadable: return "读不到表格文件";
    case TableError::Empty: return "表格里没有内容";
    case TableError::Binary: return "不是文本表格 (请另存为 CSV 或 Unicode 文本)";
    case TableError::UnknownEncoding: return "表格的编码不认识 (可用 UTF-8、GBK 或带标记的 UTF-16 LE)";
    }
    return "";
}

const char* RowErrorText(RowError e) {
    switch (e) {
    case RowError::None: return "";
    case RowError::TooLong: return "内容太长 (一格最多 64 KB, 也许引号没有配对)";
    case RowError::TooManyColumns: return "多于 3 列 (标题、文案、文件名)";
    case RowError::BadEncoding: return "含有不是文字的字节";
    case RowError::BadName: return "文件名不能用";
    }
    return "";
}

const char* NameErrorText(NameError e) {
    switch (e) {
    case NameError::None: return "";
    case NameError::Empty: return "文件名是空的";
    case NameError::TooLong: return "文件名太长";
    case NameError::Reserved: return "文件名是系统保留的设备名 (CON、NUL 等)";
    case NameError::Separator: return "文件名不能含有 \\ 或 /";
    case NameError::DriveOrStream: return "文件名不能含有 :";
    case NameError::Wildcard: return "文件名不能含有 * ? \" < > |";
    case NameError::Control: return "文件名不能含有控制字符";
    case NameError::EndsInDotOrSpace: return "文件名不能以点或空格结尾";
    case NameError::DotsOnly: return "文件名不能只有点";
    }
    return "";
}

TableSeparator SeparatorForName(const std::string& fileName) {
    return EndsWithNoCase(fileName, ".csv") ? TableSeparator::Comma : TableSeparator::Tab;
}

void AppendUtf16AsUtf8(const uint16_t* units, size_t count, std::string* out) {
    for (size_t i = 0; i < count; ++i) {
        uint32_t c = units[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < count && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (units[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            out->push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out->push_back(static_cast<char>(0xC0 | (c >> 6)));
            out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out->push_back(static_cast<char>(0xE0 | (c >> 12)));
            out->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out->push_back(static_cast<char>(0xF0 | (c >> 18)));
            out->push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            out->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
}

std::string OutputStem(const std::string& name) {
    std::string s = Trimmed(name);
    for (const char* ext : {".png", ".jpg", ".jpeg"})
        if (EndsWithNoCase(s, ext)) return s.substr(0, s.size() - strlen(ext));
    return s;
}

NameError CheckOutputName(const std::string& name, TableEncoding encoding) {
    const std::string stem = OutputStem(name);
    if (stem.empty()) return NameError::Empty;
    if (stem.size() > kNameLimit) return NameError::TooLong;
    if (stem.find_first_not_of('.') == std::string::npos) return NameError::DotsOnly;
    for (size_t i = 0; i < stem.size();) {
        size_t n = CharLength(stem, i, encoding);
        if (n == 0) return NameError::Control;
        const uint8_t c = static_cast<uint8_t>(stem[i]);
        if (n == 1) {
            if (c < 0x20 || c == 0x7F) return NameError::Control;
            if (c == '\\' || c == '/') return NameError::Separator;
            if (c == ':') return NameError::DriveOrStream;
            if (strchr("*?\"<>|", c)) return NameError::Wildcard;
        }
        i += n;
    }
    if (stem.back() == '.' || stem.back() == ' ') return NameError::EndsInDotOrSpace;
    // Devices are reserved with any extension: "nul.txt" opens the device.
    std::string device = AsciiLower(Trimmed(stem.substr(0, stem.find('.'))));
    for (const char* r : kReservedNames)
        if (device == r) return NameError::Reserved;
    return NameError::None;
}

// ---- reader ----------------------------------------------------------------

TableReader::TableReader(ByteSource source, TableSeparator separator, TableLimits limits)
    : source_(std::move(source)), separator_(separator), limits_(limits) {}

// Reads the first bytes and decides what the file is from its mark.
bool TableReader::Start() {
    started_ = true;
    raw_.resize(kSniffBytes);
    size_t got = 0, n = 0;
    while (got < kSniffBytes && (n = source_(raw_.data() + got, kSniffBytes - got)) > 0) got += n;
    raw_.resize(got);
    if (got == 0) return error_ = TableError::Empty, false;
    static const Mark kMarks[] = {
        {"\xFF\xFE\x00\x00", 4, TableError::UnknownEncoding},  // UTF-32 LE
        {"\x00\x00\xFE\xFF", 4, TableError::UnknownEncoding},  // UTF-32 BE
        {"\xEF\xBB\xBF", 3, TableError::None},
        {"\xFF\xFE", 2, TableError::None},
        {"\xFE\xFF", 2, TableError::UnknownEncoding},  // UTF-16 BE
        // Files people pick by mistake: pictures, workbooks, documents.
        {"\x89PNG", 4, TableError::Binary},
        {"\xFF\xD8\xFF", 3, TableError::Binary},
        {"GIF8", 4, TableError::Binary},
        {"PK\x03\x04", 4, TableError::Binary},
        {"\xD0\xCF\x11\xE0", 4, TableError::Binary},
        {"%PDF", 4, TableError::Binary},
    };
    size_t skip = 0;
    for (const Mark& m : kMarks) {
        if (got < m.size || memcmp(raw_.data(), m.bytes, m.size) != 0) continue;
        if (m.refusal != TableError::None) return error_ = m.refusal, false;
        skip = m.size;
        utf16_ = m.size == 2;
        encoding_ = TableEncoding::Utf8;
        break;
    }
    raw_.erase(raw_.begin(), raw_.begin() + static_cast<ptrdiff_t>(skip));
    if (!utf16_) {
        // Text has no NUL bytes; UTF-16 without its mark has them every other byte.
        const size_t nul = static_cast<size_t>(std::count(raw_.begin(), raw_.end(), 0));
        if (nul > 0 && nul * 3 >= raw_.size()) return error_ = TableError::UnknownEncoding, false;
        if (nul > 0) return error_ = TableError::Binary, false;
    }
    pending_.swap(raw_);  // Fill takes the first bytes as if just read
    raw_.clear();
    return true;
}

// Appends the next chunk to the unread bytes; false at the end.
bool TableReader::Fill() {
    buffer_.erase(0, pos_);
    pos_ = 0;
    const size_t before = buffer_.size();
    if (chunk_.size() != limits_.chunkBytes) chunk_.assign(limits_.chunkBytes, 0);
    while (buffer_.size() == before) {
        const uint8_t* bytes = pending_.data();
        size_t n = pending_.size();
        if (n == 0) {
            n = ended_ ? 0 : source_(chunk_.data(), chunk_.size());
            bytes = chunk_.data();
            ended_ = n == 0;
        }
        if (n == 0) return false;
        if (utf16_) {
            raw_.insert(raw_.end(), bytes, bytes + n);
            size_t units = raw_.size() / 2;
            std::vector<uint16_t> u(units);
            for (size_t i = 0; i < units; ++i) u[i] = static_cast<uint16_t>(raw_[2 * i] | raw_[2 * i + 1] << 8);
            // A high surrogate whose partner is in the next chunk waits for it.
            if (units > 0 && u[units - 1] >= 0xD800 && u[units - 1] <= 0xDBFF) --units;
            AppendUtf16AsUtf8(u.data(), units, &buffer_);
            raw_.erase(raw_.begin(), raw_.begin() + static_cast<ptrdiff_t>(2 * units));
        } else {
            buffer_.append(reinterpret_cast<const char*>(bytes), n);
        }
        std::vector<uint8_t>().swap(pending_);
    }
    if (encoding_ == TableEncoding::Undecided) DecideEncoding();
    return true;
}

// At the first non-ASCII byte: UTF-8 when what follows is well-formed UTF-8
// (a sequence cut by the chunk's end counts), else GBK.
void TableReader::DecideEncoding() {
    size_t i = pos_;
    while (i < buffer_.size() && IsAscii(static_cast<uint8_t>(buffer_[i]))) ++i;
    if (i == buffer_.size()) return;
    for (; i < buffer_.size();) {
        size_t n = Utf8Length(buffer_, i, true);
        if (n == 0) {
            encoding_ = TableEncoding::Gbk;
            return;
        }
        i += n;
    }
    encoding_ = TableEncoding::Utf8;
}

int TableReader::Peek() {
    if (pos_ >= buffer_.size() && !Fill()) return -1;
    return static_cast<uint8_t>(buffer_[pos_]);
}

// One record: its fields (each up to the field limit), whether a field that
// counts ran over, and whether a column beyond those the table uses held anything.
bool TableReader::ReadRecord(std::vector<std::string>* fields, bool* tooLong, int* line) {
    fields->clear();
    *tooLong = false;
    extra_ = false;
    const size_t used = header_.empty() ? kColumnsKept : header_.size();
    if (Peek() < 0) return false;
    // Rows are numbered as a spreadsheet shows them: one per record, blank
    // ones included; a line break inside quotes stays in its row.
    *line = ++records_;
    const char separator = separator_ == TableSeparator::Comma ? ',' : '\t';
    size_t column = 0;
    std::string field;
    auto add = [&](char c) {
        if (column >= used && c != ' ') extra_ = true;
        if (column >= kNamedColumnsKept) return;
        if (field.size() < limits_.fieldBytes)
            field.push_back(c);
        else if (column < used)
            *tooLong = true;
    };
    // Consumes a line break (CR LF, LF or a lone CR) at the current byte.
    auto lineBreak = [&](int c) {
        Take();
        if (c == '\r' && Peek() == '\n') Take();
    };
    auto endField = [&] {
        if (column < kNamedColumnsKept) fields->push_back(field);
        field.clear();
        ++column;
    };
    for (;;) {
        int c = Peek();
        if (c == '"' && field.empty()) {
            Take();
            for (;;) {  // inside quotes: separators and line breaks are text
                c = Peek();
                if (c < 0) break;
                if (c == '"') {
                    Take();
                    if (Peek() != '"') break;
                    Take();
                    add('"');
                } else if (c == '\r' || c == '\n') {
                    lineBreak(c);
                    add('\n');
                } else {
                    Take();
                    add(static_cast<char>(c));
                }
            }
            continue;  // text after the closing quote is kept, as Excel does
        }
        if (c < 0) break;
        if (c == '\r' || c == '\n') {
            lineBreak(c);
            break;
        }
        Take();
        if (c == separator) {
            endField();
        } else {
            add(static_cast<char>(c));
        }
    }
    endField();
    return true;
}

bool TableReader::LooksLikeHeader(const std::vector<std::string>& fields) const {
    // A cell past the three (a column a poster's placeholder names) makes it a header of names.
    for (size_t i = kColumnsKept; i < fields.size(); ++i)
        if (!Trimmed(fields[i]).empty()) return false;
    bool any = false;
    for (size_t i = 0; i < fields.size() && i < kColumnsKept; ++i) {
        const std::string f = AsciiLower(Trimmed(fields[i]));
        if (f.empty()) continue;
        const auto& words = kHeaderWords[i].words;
        if (std::find_if(words.begin(), words.end(), [&](const char* w) { return f == w; }) == words.end())
            return false;
        any = true;
    }
    return any;
}

// A first row names its columns when a cell names a column the poster asks
// for, or when two cells are header words standing out of their places.
bool TableReader::NamesColumns(const std::vector<std::string>& fields) const {
    const TableEncoding enc = encoding_ == TableEncoding::Undecided ? TableEncoding::Utf8 : encoding_;
    int headerWords = 0;
    for (const std::string& f : fields) {
        const std::string name = Trimmed(f);
        if (name.empty() || !WellFormed(name, enc)) continue;
        if (namesColumn_ && namesColumn_(name, enc)) return true;
        const std::string lower = AsciiLower(name);
        for (const HeaderWords& role : kHeaderWords)
            if (std::find_if(role.words.begin(), role.words.end(), [&](const char* w) { return lower == w; }) !=
                role.words.end())
                ++headerWords;
    }
    return headerWords >= 2;
}

int TableReader::HeaderColumn(size_t role) const {
    for (size_t i = 0; i < header_.size(); ++i) {
        const std::string f = AsciiLower(header_[i]);
        const auto& words = kHeaderWords[role].words;
        if (std::find_if(words.begin(), words.end(), [&](const char* w) { return f == w; }) != words.end())
            return int(i);
    }
    return -1;
}

bool TableReader::Next(TableRow* row) {
    if (!started_ && !Start()) return false;
    if (error_ != TableError::None) return false;
    std::vector<std::string> fields;
    bool tooLong = false;
    int line = 0;
    while (ReadRecord(&fields, &tooLong, &line)) {
        bool blank = !tooLong && !extra_ &&
                     std::all_of(fields.begin(), fields.end(), [](const std::string& f) { return Trimmed(f).empty(); });
        if (blank) continue;
        if (!sawContent_ && !headerChecked_) {
            headerChecked_ = true;
            if (LooksLikeHeader(fields)) continue;
            if (NamesColumns(fields)) {
                for (const std::string& f : fields) header_.push_back(Trimmed(f));
                while (!header_.empty() && header_.back().empty()) header_.pop_back();
                continue;
            }
        }
        headerChecked_ = true;
        sawContent_ = true;
        ++rows_;
        *row = TableRow{};
        row->line = line;
        const TableEncoding enc = encoding_ == TableEncoding::Undecided ? TableEncoding::Utf8 : encoding_;
        row->encoding = enc;
        bool wellFormed = true;
        if (header_.empty()) {
            row->title = fields.size() > 0 ? fields[0] : "";
            row->hasBody = fields.size() > 1;
            row->body = row->hasBody ? fields[1] : "";
            row->name = fields.size() > 2 ? Trimmed(fields[2]) : "";
            fields.resize(std::min(fields.size(), kColumnsKept));
        } else {
            fields.resize(header_.size());
            const int title = HeaderColumn(0), body = HeaderColumn(1), name = HeaderColumn(2);
            row->hasTitle = title >= 0;
            row->hasBody = body >= 0;
            row->title = title >= 0 ? fields[size_t(title)] : "";
            row->body = body >= 0 ? fields[size_t(body)] : "";
            row->name = name >= 0 ? Trimmed(fields[size_t(name)]) : "";
            row->cells = fields;
        }
        for (const std::string& f : fields) wellFormed = wellFormed && WellFormed(f, enc);
        if (tooLong)
            row->error = RowError::TooLong;
        else if (!wellFormed)
            row->error = RowError::BadEncoding;
        else if (extra_)
            row->error = RowError::TooManyColumns;
        else if (!row->name.empty() && (row->nameError = CheckOutputName(row->name, enc)) != NameError::None)
            row->error = RowError::BadName;
        return true;
    }
    if (!sawContent_) error_ = TableError::Empty;
    return false;
}

}  // namespace app
