#include "app/poster/placeholders.h"
#include <algorithm>

namespace app {

namespace {

// A name longer than this is no placeholder but text in braces.
constexpr size_t kLongestName = 64;

bool IsLeadByte(unsigned char c) { return c >= 0x81 && c <= 0xFE; }

void AddOnce(std::vector<std::string>* names, const std::string& name) {
    if (std::find(names->begin(), names->end(), name) == names->end()) names->push_back(name);
}

// Walks the text, calling found(name, begin, end) for each placeholder; a
// brace that is the second byte of a GBK character is no brace.
template <typename Found>
void Scan(const std::string& s, Found found) {
    size_t open = std::string::npos;
    for (size_t i = 0; i < s.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if (IsLeadByte(c) && i + 1 < s.size()) {
            ++i;
            continue;
        }
        if (c == '{') {
            open = i;
        } else if (c == '\r' || c == '\n') {
            open = std::string::npos;
        } else if (c == '}' && open != std::string::npos) {
            const size_t length = i - open - 1;
            if (length > 0 && length <= kLongestName) found(s.substr(open + 1, length), open, i + 1);
            open = std::string::npos;
        }
    }
}

const std::string* Cell(const RowValues& row, const std::string& name) {
    for (const auto& [header, cell] : row)
        if (header == name) return &cell;
    return nullptr;
}

}  // namespace

std::vector<std::string> PlaceholderNames(const std::string& gbk) {
    std::vector<std::string> names;
    Scan(gbk, [&](const std::string& name, size_t, size_t) { AddOnce(&names, name); });
    return names;
}

namespace {

// The texts of a field that placeholders may stand in, and whether each names a file.
template <typename Field, typename Visit>
void ForEachFillable(Field& f, Visit visit) {
    switch (f.kind) {
    case FieldKind::Text: visit(f.text.text, false); break;
    case FieldKind::Picture: visit(f.picture.path, true); break;
    case FieldKind::Qr:
        visit(f.qr.text, false);
        visit(f.qr.centrePicture, true);
        break;
    }
}

bool IsRelativePath(const std::string& path) {
    return !path.empty() && path[0] != '\\' && path[0] != '/' && !(path.size() > 1 && path[1] == ':');
}

}  // namespace

std::vector<std::string> PlaceholderNames(const PosterDescription& poster) {
    std::vector<std::string> names;
    for (const PosterField& f : poster.fields)
        ForEachFillable(f, [&](const std::string& text, bool) {
            for (const std::string& n : PlaceholderNames(text)) AddOnce(&names, n);
        });
    return names;
}

std::string FillPlaceholders(const std::string& gbk, const RowValues& row, std::vector<std::string>* missing) {
    std::string out;
    size_t copied = 0;
    Scan(gbk, [&](const std::string& name, size_t begin, size_t end) {
        const std::string* cell = Cell(row, name);
        if (!cell) {
            if (missing) AddOnce(missing, name);
            return;
        }
        out.append(gbk, copied, begin - copied).append(*cell);
        copied = end;
    });
    return out.append(gbk, copied, std::string::npos);
}

void FillFromRow(PosterDescription& poster, const RowTexts& row, std::vector<std::string>* missing) {
    const std::string* cells[kStandardFieldCount] = {row.title, row.body};
    for (size_t i = 0; i < poster.fields.size(); ++i) {
        ForEachFillable(poster.fields[i], [&](std::string& text, bool isPath) {
            const bool filled = !PlaceholderNames(text).empty();
            if (i < kStandardFieldCount && cells[i] && !filled)
                text = *cells[i];
            else
                text = FillPlaceholders(text, row.values, missing);
            if (isPath && filled && IsRelativePath(text)) text = row.folder + text;
        });
    }
}

std::string MissingColumnsText(const std::vector<std::string>& missing) {
    std::string text = "表格里没有这一列, 照原样印出:";
    for (size_t i = 0; i < missing.size(); ++i) text += (i ? "、{" : " {") + missing[i] + "}";
    return text;
}

}  // namespace app
