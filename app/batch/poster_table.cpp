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
    if (!ToProgramText(row.title, row.encoding, &p.title) || !ToProgramText(row.body, row.encoding, &p.body) ||
        !ToProgramText(OutputStem(row.name), row.encoding, &name)) {
        *failure = RowFailure(row.line, "含有 GBK 编码里没有的字符");
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
            *failure = RowFailure(row.line, "含有 GBK 编码里没有的字符");
            return true;
        }
        p.values.emplace_back(column, WithCrLf(cell));
    }
    *poster = std::move(p);
    return true;
}

}  // namespace app
