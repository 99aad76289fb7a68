#include "app/batch/batch_check.h"
#include <windows.h>
#include <algorithm>
#include <cstdio>
#include "app/platform/file_io.h"
#include "app/poster/placeholders.h"
#include "app/render/field_assets.h"

namespace app {

namespace {

constexpr UINT kCodePageGbk = 936;

Utf16 Utf16Of(const std::string& gbk) {
    const int n = MultiByteToWideChar(kCodePageGbk, 0, gbk.data(), static_cast<int>(gbk.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) MultiByteToWideChar(kCodePageGbk, 0, gbk.data(), static_cast<int>(gbk.size()), wide.data(), n);
    return Utf16(wide.begin(), wide.end());
}

std::string GbkOf(const Utf16& text) {
    const std::wstring wide(text.begin(), text.end());
    const int n = WideCharToMultiByte(kCodePageGbk, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0) WideCharToMultiByte(kCodePageGbk, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n, nullptr, nullptr);
    return out;
}

// Windows names files without regard to the case of ASCII letters.
std::string NameKey(const std::string& gbk) {
    std::string key = gbk;
    for (size_t i = 0; i < key.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(key[i]);
        if (c >= 0x81) ++i;  // a GBK pair: its second byte may look like a letter
        else key[i] = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    }
    return key;
}

std::string N(int64_t n) { return std::to_string(n); }

// Each character with its code: one the font lacks may show as nothing at all.
std::string Named(const Utf16& characters) {
    std::string out;
    for (char16_t c : characters) {
        char code[16];
        snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(c));
        out += (out.empty() ? "" : ", ") + GbkOf(Utf16(1, c)) + " (" + code + ")";
    }
    return out;
}

std::string ProblemText(const std::string& field, const std::string& font, const FieldProblem& p, int32_t smallest,
                        bool shrinks, bool severalSizes, uint32_t width, uint32_t height) {
    const std::string on = severalSizes ? " (" + N(width) + "×" + N(height) + " 的模板上)" : "";
    switch (p.kind) {
    case TextProblem::BeyondPicture: return field + "超出图片 " + N(p.pixels) + " 像素" + on;
    case TextProblem::TooWide:
        return field + (shrinks ? "缩到最小仍比最大宽度宽 " : "有一段比最大宽度宽 ") + N(p.pixels) + " 像素" + on;
    case TextProblem::TooSmall:
        return field + "缩小到 " + N(p.pixels) + " 像素, 原大小的 " + N(p.percent) + "%, 小于下限 " + N(smallest) + "%" + on;
    case TextProblem::MissingGlyphs: return field + "里有字体 " + font + " 没有的字: " + Named(p.characters);
    }
    return field;
}

}  // namespace

BatchCheck::BatchCheck(PosterDescription stored, const std::vector<CheckedTemplate>& templates, std::string tableFolder,
                       int32_t smallestPercent)
    : stored_(std::move(stored)), tableFolder_(std::move(tableFolder)), smallestPercent_(smallestPercent) {
    for (const CheckedTemplate& t : templates) {
        if (t.error) {
            problems_.push_back("模板 " + t.name + " 读不了: " + ReasonText(t.error));
            continue;
        }
        if (std::find(sizes_.begin(), sizes_.end(), std::make_pair(t.width, t.height)) == sizes_.end())
            sizes_.emplace_back(t.width, t.height);
    }
}

void BatchCheck::Say(int row, const std::string& what) {
    badRows_.insert(row);
    problems_.push_back("第 " + N(row) + " 行: " + what);
}

void BatchCheck::Refused(int row, const std::string& failure) {
    ++rows_;
    badRows_.insert(row);
    problems_.push_back(failure);
}

void BatchCheck::Row(const Poster& p) {
    ++rows_;
    if (!p.name.empty()) {
        const auto [first, added] = names_.emplace(NameKey(p.name), p.line);
        if (!added) Say(p.line, "文件名 " + p.name + " 与第 " + N(first->second) + " 行相同, 会写成 \"" + p.name + " (2)\"");
    }
    PosterDescription poster = stored_;
    std::vector<std::string> missing;
    FillFromRow(poster, {p.hasTitle ? &p.title : nullptr, &p.body, p.values, tableFolder_}, &missing);
    if (!missing.empty()) Say(p.line, MissingColumnsText(missing));
    for (const std::string& problem : CheckFieldFiles(poster, stored_)) Say(p.line, problem);
    for (const PosterField& f : poster.fields) {
        if (f.kind != FieldKind::Text) continue;
        const Utf16 text = Utf16Of(f.text.text);
        const FontMetrics& font = fonts_.For(f.text.font);
        std::set<std::string> said;  // a problem on several sizes of template is said once
        for (const auto& [width, height] : sizes_)
            for (const FieldProblem& problem : CheckTextField(f.text, text, width, height, font, smallestPercent_)) {
                const std::string what = ProblemText(f.name, f.text.font, problem, smallestPercent_,
                                                     f.text.effects.fit == TextFit::Shrink, sizes_.size() > 1, width, height);
                if (said.insert(what).second) Say(p.line, what);
            }
    }
}

}  // namespace app
