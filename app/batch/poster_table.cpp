#include "app/batch/poster_table.h"
#include <algorithm>
#include <vector>

namespace app {

namespace {

constexpr UINT kCodePageGbk = 936;

// A field's line breaks (LF) as the text boxes keep them (CR LF).
std::string WithCrLf(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

std::string RowFailure(int line, const std::string& why) { return "第 " + std::to_string(line) + " 行: " + why; }

}  // namespace

bool ToProgramText(const std::string& text, TableEncoding encoding, std::string* gbk) {
    if (encoding == TableEncoding::Gbk || text.empty()) {
        *gbk = text;
        return true;
    }
    const int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()),
                                      nullptr, 0);
    if (n <= 0) return false;
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
    BOOL lost = FALSE;
    const int m = WideCharToMultiByte(kCodePageGbk, WC_NO_BEST_FIT_CHARS, wide.data(), n, nullptr, 0, nullptr, &lost);
    if (m <= 0 || lost) return false;
    gbk->assign(static_cast<size_t>(m), '\0');
    WideCharToMultiByte(kCodePageGbk, WC_NO_BEST_FIT_CHARS, wide.data(), n, gbk->data(), m, nullptr, nullptr);
    return true;
}

// The first character of a UTF-8 text that GBK has no code for, as "U+XXXX"
// (the message itself is GBK, so the character cannot be shown as itself).
std::string FirstCharacterOutsideGbk(const std::string& utf8) {
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    if (n <= 0) return "";
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
    for (size_t i = 0; i < wide.size();) {
        const bool pair = wide[i] >= 0xD800 && wide[i] <= 0xDBFF && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 &&
                          wide[i + 1] <= 0xDFFF;
        const int units = pair ? 2 : 1;
        BOOL lost = FALSE;
        char bytes[8];
        const int m = WideCharToMultiByte(kCodePageGbk, WC_NO_BEST_FIT_CHARS, wide.data() + i, units, bytes,
                                          sizeof bytes, nullptr, &lost);
        if (m <= 0 || lost) {
            const unsigned code =
                pair ? 0x10000u + ((wide[i] - 0xD800u) << 10) + (wide[i + 1] - 0xDC00u) : static_cast<unsigned>(wide[i]);
            char name[16];
            wsprintfA(name, "U+%04X", code);
            return name;
        }
        i += static_cast<size_t>(units);
    }
    return "";
}

PosterTable::PosterTable(const std::wstring& path, std::string defaultBody, std::vector<std::string> columnNames)
    : defaultBody_(std::move(defaultBody)), columnNames_(std::move(columnNames)) {
    file_ = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                        FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    HANDLE file = file_;
    ByteSource source = [file](uint8_t* buffer, size_t capacity) -> size_t {
        DWORD got = 0;
        if (file == INVALID_HANDLE_VALUE || !ReadFile(file, buffer, static_cast<DWORD>(capacity), &got, nullptr))
            return 0;
        return got;
    };
    std::string narrow(path.begin(), path.end());  // only its ending is looked at
    reader_ = std::make_unique<TableReader>(source, SeparatorForName(narrow));
    if (columnNames_.empty()) return;
    reader_->SetColumnNames([this](const std::string& cell, TableEncoding encoding) {
        std::string gbk;
        return ToProgramText(cell, encoding, &gbk) &&
               std::find(columnNames_.begin(), columnNames_.end(), gbk) != columnNames_.end();
    });
}

PosterTable::~PosterTable() {
    if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
}

TableError PosterTable::error() const {
    return file_ == INVALID_HANDLE_VALUE ? TableError::Unreadable : reader_->error();
}

bool PosterTable::Next(Poster* poster, std::string* failure) {
    failure->clear();
    if (file_ == INVALID_HANDLE_VALUE) return false;
    TableRow row;
    if (!reader_->Next(&row)) return false;
    poster->line = row.line;  // a failed row's too, so a share of the rows can tell it
    if (row.error == RowError::BadName) {
        *failure = RowFailure(row.line, std::string(NameErrorText(row.nameError)));
        return true;
    }
    if (row.error != RowError::None) {
        *failure = RowFailure(row.line, RowErrorText(row.error));
        return true;
    }
    Poster p;
    p.line = row.line;
    std::string name;
    // The cell and the character, so the person can find it.
    const struct {
        const char* cell;
        std::string text;
        std::string* out;
    } cells[] = {{"标题", row.title, &p.title}, {"文案", row.body, &p.body}, {"文件名", OutputStem(row.name), &name}};
    for (const auto& c : cells) {
        if (ToProgramText(c.text, row.encoding, c.out)) continue;
        const std::string which = FirstCharacterOutsideGbk(c.text);
        *failure = RowFailure(row.line, std::string(c.cell) + "含有 GBK 编码里没有的字符" + (which.empty() ? "" : " " + which));
        return true;
    }
    p.title = WithCrLf(p.title);
    p.body = row.hasBody ? BodyWithBreaks(WithCrLf(p.body)) : defaultBody_;
    p.name = name;
    p.hasTitle = row.hasTitle;
    // Every placeholder can name the standard columns; a header of its own
    // names gives the columns the poster asks for.
    p.values = {{"标题", p.title}, {"文案", p.body}, {"文件名", p.name}};
    const std::vector<std::string>& header = reader_->header();
    for (size_t i = 0; i < header.size() && i < row.cells.size(); ++i) {
        std::string column, cell;
        if (!ToProgramText(header[i], row.encoding, &column) ||
            std::find(columnNames_.begin(), columnNames_.end(), column) == columnNames_.end())
            continue;
        if (!ToProgramText(row.cells[i], row.encoding, &cell)) {
            const std::string which = FirstCharacterOutsideGbk(row.cells[i]);
            *failure = RowFailure(row.line, column + "含有 GBK 编码里没有的字符" + (which.empty() ? "" : " " + which));
            return true;
        }
        p.values.emplace_back(column, WithCrLf(cell));
    }
    *poster = std::move(p);
    return true;
}

}  // namespace app
