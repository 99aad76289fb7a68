// The table reader on a table of inputs: encodings, Excel quoting, headers,
// bad rows and names; and reading as it goes (bounded memory, early rows).
// Chinese literals are GBK bytes (as in the program); UTF-8 is spelled out.
#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include <vector>
#include "app/poster/table_reader.h"

using namespace app;

namespace {

// A source handing out the bytes `step` at a time (chunk edges inside characters).
ByteSource SourceOf(const std::string& bytes, size_t step) {
    auto at = std::make_shared<size_t>(0);
    return [bytes, step, at](uint8_t* buffer, size_t capacity) {
        size_t n = std::min({capacity, step, bytes.size() - *at});
        memcpy(buffer, bytes.data() + *at, n);
        *at += n;
        return n;
    };
}

std::string Utf16(const std::u16string& s) {
    std::string out = "\xFF\xFE";
    for (char16_t c : s) {
        out.push_back(static_cast<char>(c & 0xFF));
        out.push_back(static_cast<char>(c >> 8));
    }
    return out;
}

// A row as one comparable text: line|title|body|name|error|nameError.
std::string Show(const TableRow& r) {
    return std::to_string(r.line) + "|" + r.title + "|" + r.body + "|" + r.name + "|" +
           std::to_string(static_cast<int>(r.error)) + "|" + std::to_string(static_cast<int>(r.nameError));
}

std::vector<std::string> ReadAll(const std::string& bytes, TableSeparator sep, size_t step, TableError* error,
                                 TableEncoding* encoding = nullptr) {
    TableReader reader(SourceOf(bytes, step), sep, {.fieldBytes = 64, .chunkBytes = 7});
    std::vector<std::string> rows;
    TableRow row;
    while (reader.Next(&row)) {
        rows.push_back(Show(row));
        if (encoding) *encoding = row.encoding;
    }
    *error = reader.error();
    return rows;
}

constexpr int kNone = 0, kTooLong = 1, kMany = 2, kBadBytes = 3, kBadName = 4;
std::string R(int line, const std::string& t, const std::string& b, const std::string& n = "", int e = kNone,
              NameError ne = NameError::None) {
    return std::to_string(line) + "|" + t + "|" + b + "|" + n + "|" + std::to_string(e) + "|" +
           std::to_string(static_cast<int>(ne));
}

const std::string kOrangeUtf8 = "\xE6\xA9\x98\xE5\xAD\x90";  // 橘子
const std::string kLong(100, 'x');

}  // namespace

TEST(TableReader, ReadsEachEncodingQuotingAndHeader) {
    const TableSeparator C = TableSeparator::Comma, T = TableSeparator::Tab;
    struct Case {
        const char* what;
        std::string bytes;
        TableSeparator sep;
        std::vector<std::string> rows;
        TableEncoding encoding = TableEncoding::Utf8;
    } cases[] = {
        {"plain tab text, blank lines, lone title", "a\tb\\nc\n\n  \r\nd\r\n", T, {R(1, "a", "b\\nc"), R(4, "d", "")}},
        {"UTF-8 with mark and header", "\xEF\xBB\xBFtitle,body,name\r\n" + kOrangeUtf8 + ",x,f1\r\n", C,
         {R(2, kOrangeUtf8, "x", "f1")}},
        {"UTF-8 without mark after ASCII rows", "a,b\n" + kOrangeUtf8 + ",c\n", C, {R(1, "a", "b"), R(2, kOrangeUtf8, "c")}},
        {"GBK with a Chinese header", "标题,文案,文件名\r\n橘子,甜,桔\r\n", C, {R(2, "橘子", "甜", "桔")},
         TableEncoding::Gbk},
        {"GBK trail byte 0x5C is no separator or escape", "\x95\x5C,\x95\x5C\n", C, {R(1, "\x95\x5C", "\x95\x5C")},
         TableEncoding::Gbk},
        {"UTF-16 LE with mark, tabs, surrogate pair",
         Utf16(u"\u6807\u9898\t\u6587\u6848\r\n\u6a58\U0001F34A\t\"a\tb\"\r\n"), T,
         {R(2, kOrangeUtf8.substr(0, 3) + "\xF0\x9F\x8D\x8A", "a\tb")}},
        {"Excel quoting: commas, doubled quotes, line breaks, text after quote",
         "\"a,b\",\"say \"\"hi\"\"\"\n\"x\r\ny\",\"p\nq\"tail\n", C,
         {R(1, "a,b", "say \"hi\""), R(2, "x\ny", "p\nqtail")}},
        {"rows numbered by record: a quoted line break does not shift the next row", "\"a\r\nb\",c\n\nd,e\n", C,
         {R(1, "a\nb", "c"), R(3, "d", "e")}},
        {"quote inside an unquoted field is text", "a\"b,c\n", C, {R(1, "a\"b", "c")}},
        {"a header-like first row is only skipped when every cell is a header word", "title,my body\n", C,
         {R(1, "title", "my body")}},
        {"too long field, then the next row reads on", kLong + ",b\nc,d\n", C,
         {R(1, std::string(64, 'x'), "b", "", kTooLong), R(2, "c", "d")}},
        {"unclosed quote runs to the end as one long row", "a,\"" + kLong + "\nb,c\n", C,
         {R(1, "a", std::string(64, 'x'), "", kTooLong)}},
        {"columns beyond the third: empty ones are fine", "a,b,n,,\na,b,n,x\n", C,
         {R(1, "a", "b", "n"), R(2, "a", "b", "n", kMany)}},
        {"NUL in a row beyond the first 4 KB", std::string(4100, '\n') + "c\x01,d\n" + std::string("e\0f,g\n", 6), C,
         {R(4101, "c\x01", "d"), R(4102, std::string("e\0f", 3), "g", "", kBadBytes)}},
        {"bad names per row", "a,b,..\\x\na,b,CON\na,b,nul.png\na,b,x:y\na,b,a?b\na,b,x.\na,b,ok.PNG\na,b,/\n", C,
         {R(1, "a", "b", "..\\x", kBadName, NameError::Separator), R(2, "a", "b", "CON", kBadName, NameError::Reserved),
          R(3, "a", "b", "nul.png", kBadName, NameError::Reserved),
          R(4, "a", "b", "x:y", kBadName, NameError::DriveOrStream),
          R(5, "a", "b", "a?b", kBadName, NameError::Wildcard),
          R(6, "a", "b", "x.", kBadName, NameError::EndsInDotOrSpace), R(7, "a", "b", "ok.PNG"),
          R(8, "a", "b", "/", kBadName, NameError::Separator)}},
    };
    for (const Case& c : cases) {
        for (size_t step : {size_t(1), size_t(3), size_t(4096)}) {
            TableError error = TableError::Unreadable;
            TableEncoding encoding = TableEncoding::Undecided;
            EXPECT_EQ(c.rows, ReadAll(c.bytes, c.sep, step, &error, &encoding)) << c.what << ", step " << step;
            EXPECT_EQ(TableError::None, error) << c.what;
            EXPECT_EQ(c.encoding, encoding) << c.what;
        }
    }
}

TEST(TableReader, RefusesWholeTables) {
    struct Case {
        const char* what;
        std::string bytes;
        TableError error;
    } cases[] = {
        {"empty", "", TableError::Empty},
        {"blank lines only", "\r\n \n\t\n", TableError::Empty},
        {"header only", "\xEF\xBB\xBF" "title,body\n", TableError::Empty},
        {"PNG", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16), TableError::Binary},
        {"xlsx (zip)", std::string("PK\x03\x04\x14\0\x06\0", 8), TableError::Binary},
        {"UTF-16 BE", "\xFE\xFF\0a", TableError::UnknownEncoding},
        {"UTF-32 LE", std::string("\xFF\xFE\0\0a\0\0\0", 8), TableError::UnknownEncoding},
        {"UTF-16 LE without mark", std::string("a\0,\0b\0", 6), TableError::UnknownEncoding},
    };
    for (const Case& c : cases) {
        TableError error = TableError::None;
        EXPECT_TRUE(ReadAll(c.bytes, TableSeparator::Comma, 4096, &error).empty()) << c.what;
        EXPECT_EQ(c.error, error) << c.what;
    }
}

// 100,000 rows and a 10 MB line: rows come out before the source is drained,
// and the reader never holds more than a chunk and a field.
TEST(TableReader, ReadsAsItGoes) {
    const size_t kRows = 100000;
    size_t handedOut = 0;
    size_t lineNumber = 0;
    std::string pendingLine;
    ByteSource source = [&](uint8_t* buffer, size_t capacity) {
        if (pendingLine.empty() && lineNumber < kRows) pendingLine = "t" + std::to_string(++lineNumber) + ",b\n";
        if (pendingLine.empty() && lineNumber == kRows) {  // then one 10 MB line
            ++lineNumber;
            pendingLine = "big," + std::string(10u << 20, 'y') + "\n";
        }
        size_t n = std::min(capacity, pendingLine.size());
        memcpy(buffer, pendingLine.data(), n);
        pendingLine.erase(0, n);
        handedOut += n;
        return n;
    };
    TableReader reader(source, TableSeparator::Comma);
    TableRow row;
    ASSERT_TRUE(reader.Next(&row));
    EXPECT_EQ("t1", row.title);
    EXPECT_LT(handedOut, 200u * 1024) << "the first row came only after reading far ahead";
    size_t rows = 1;
    while (reader.Next(&row)) ++rows;
    EXPECT_EQ(kRows + 1, rows);
    EXPECT_EQ(RowError::TooLong, row.error);
    EXPECT_EQ(static_cast<int>(kRows + 1), row.line);
    EXPECT_EQ(64u * 1024, row.body.size());
}

// A first row that names a column the poster asks for is the table's header:
// title, body and name are found by their header words wherever they stand,
// every column is kept by the header's names, and columns beyond it are extra.
TEST(TableReader, NamesColumnsByAHeaderOfItsOwn) {
    struct Case {
        const char* what;
        std::string bytes;
        std::vector<std::string> rows;  // Show(row) + "|" + cells joined by ";"
        std::vector<std::string> header;
        bool hasTitle = true;
    } cases[] = {
        {"named columns in any order, more than three", "日期,文案,标题,地点\n5月1日,甜,橘子,广州\n",
         {R(2, "橘子", "甜") + "|5月1日;甜;橘子;广州"}, {"日期", "文案", "标题", "地点"}},
        {"no title column; a cell beyond the header is extra", " 日期 ,文件名\n5月1日,a\nx,b,c\n",
         {R(2, "", "", "a") + "|5月1日;a", R(3, "", "", "b", kMany) + "|x;b"}, {"日期", "文件名"}, false},
        {"a first row naming no wanted column is a row", "标题,天气\nx,y\n",
         {R(1, "标题", "天气") + "|", R(2, "x", "y") + "|"}, {}},
        {"the standard header stays positional", "标题,文案,文件名,\na,b,c\n", {R(2, "a", "b", "c") + "|"}, {}},
        {"the standard header and a named column after it", "标题,文案,文件名,日期\na,b,c,5月1日\n",
         {R(2, "a", "b", "c") + "|a;b;c;5月1日"}, {"标题", "文案", "文件名", "日期"}},
        {"header words out of their places name the columns", "地点,文件名,标题\n广州,n,橘子\n",
         {R(2, "橘子", "", "n") + "|广州;n;橘子"}, {"地点", "文件名", "标题"}},
    };
    for (const Case& c : cases) {
        TableReader reader(SourceOf(c.bytes, 3), TableSeparator::Comma);
        reader.SetColumnNames([](const std::string& cell, TableEncoding) { return cell == "日期"; });
        std::vector<std::string> rows;
        TableRow row;
        while (reader.Next(&row)) {
            std::string cells;
            for (size_t i = 0; i < row.cells.size(); ++i) cells += (i ? ";" : "") + row.cells[i];
            rows.push_back(Show(row) + "|" + cells);
            EXPECT_EQ(c.hasTitle, row.hasTitle) << c.what;
        }
        EXPECT_EQ(c.rows, rows) << c.what;
        EXPECT_EQ(c.header, reader.header()) << c.what;
    }
}
