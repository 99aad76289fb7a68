#include "app/poster/field_settings.h"
#include <algorithm>
#include <iterator>
#include "app/poster/text_limits.h"

namespace app {

const char kExtraFieldCountKey[] = "字段数";

namespace {

const char* const kCountKey = kExtraFieldCountKey;

constexpr int32_t kMaxSide = 20000;        // pixels: a box or code larger than any poster
constexpr int32_t kMaxQuietModules = 16;   // four is the standard's; more only wastes room
constexpr int32_t kDefaultQrSize = 300;

template <typename E>
struct Word {
    E value;
    const char* word;
};
const Word<FieldKind> kKindWords[] = {{FieldKind::Text, "文字"}, {FieldKind::Picture, "图片"}, {FieldKind::Qr, "二维码"}};
const Word<PictureFit> kFitWords[] = {{PictureFit::Inside, "适应"}, {PictureFit::Fill, "填满"}, {PictureFit::Stretch, "拉伸"}};
const Word<QrLevel> kLevelWords[] = {{QrLevel::L, "L"}, {QrLevel::M, "M"}, {QrLevel::Q, "Q"}, {QrLevel::H, "H"}};

template <typename E, size_t N>
const char* WordOf(const Word<E> (&words)[N], E value) {
    for (const auto& w : words)
        if (w.value == value) return w.word;
    return words[0].word;
}

template <typename E, size_t N>
bool ValueOf(const Word<E> (&words)[N], const std::string& word, E* value) {
    for (const auto& w : words)
        if (word == w.word || (word.size() == 1 && std::string(w.word).size() == 1 && (word[0] | 0x20) == (w.word[0] | 0x20))) {
            *value = w.value;
            return true;
        }
    return false;
}

std::string Prefix(size_t i) { return "字段" + std::to_string(i + 1); }

// One group's keys, read through its prefix.
struct Group {
    const StoredLookup& read;
    std::string prefix;

    bool Text(const char* key, std::string* out) const { return read(prefix + key, out); }
    int32_t Number(const char* key, int32_t fallback, int32_t low, int32_t high) const {
        std::string text;
        int64_t n = 0;
        return Text(key, &text) && ParseStoredNumber(text, &n) ? ClampNumber(n, low, high) : fallback;
    }
    uint32_t Colour(const char* key, uint32_t fallback) const {
        std::string text;
        int64_t n = 0;
        return Text(key, &text) && ParseStoredNumber(text, &n) ? uint32_t(uint64_t(n)) & 0xFFFFFF : fallback;
    }
    int32_t Position(const char* key) const { return Number(key, 0, -kMaxStoredPosition, kMaxStoredPosition); }
};

std::string ChosenFont(const std::string& stored, const std::vector<std::string>& names) {
    if (std::find(names.begin(), names.end(), stored) != names.end()) return stored;
    auto simSun = std::find(names.begin(), names.end(), std::string("宋体"));
    return simSun != names.end() ? *simSun : names.empty() ? "" : names.front();
}

TextField ReadText(const Group& g, const std::vector<std::string>& fontNames) {
    TextField t;
    std::string font, text;
    g.Text("字体名称", &font);
    t.font = ChosenFont(font, fontNames);
    t.size = g.Number("大小", 40, 0, kMaxTextSize);
    t.x = g.Position("x");
    t.y = g.Position("y");
    t.colour = g.Colour("颜色", 0);
    if (g.Text("内容", &text)) t.text = UnescapeLineBreaks(text);
    t.effects = ReadStoredEffects(g.read, g.prefix);
    return t;
}

PictureField ReadPicture(const Group& g) {
    PictureField p;
    g.Text("文件", &p.path);
    p.box = {g.Position("x"), g.Position("y"), g.Number("宽", 200, 0, kMaxSide), g.Number("高", 200, 0, kMaxSide)};
    std::string word;
    if (g.Text("缩放", &word)) ValueOf(kFitWords, word, &p.fit);
    p.cornerRadius = g.Number("圆角", 0, 0, kMaxSide);
    p.circle = g.Number("圆形", 0, 0, 1) != 0;
    p.opacity = g.Number("不透明度", 100, 0, 100);
    return p;
}

QrField ReadQr(const Group& g) {
    QrField q;
    std::string word;
    if (g.Text("内容", &word)) q.text = UnescapeLineBreaks(word);
    if (g.Text("纠错", &word)) ValueOf(kLevelWords, word, &q.level);
    q.quietModules = g.Number("留白", 4, 0, kMaxQuietModules);
    q.dark = g.Colour("深色", 0x000000);
    q.light = g.Colour("浅色", 0xFFFFFF);
    q.lightTransparent = g.Number("浅色透明", 0, 0, 1) != 0;
    q.x = g.Position("x");
    q.y = g.Position("y");
    q.size = g.Number("大小", kDefaultQrSize, 0, kMaxSide);
    g.Text("中心图片", &q.centrePicture);
    return q;
}

std::string Number(int64_t n) { return std::to_string(n); }

void AddText(IniValues& v, const std::string& p, const TextField& t) {
    v.emplace_back(p + "字体名称", t.font);
    v.emplace_back(p + "大小", Number(t.size));
    v.emplace_back(p + "x", Number(t.x));
    v.emplace_back(p + "y", Number(t.y));
    v.emplace_back(p + "颜色", Number(t.colour));
    v.emplace_back(p + "内容", EscapeLineBreaks(t.text));
    for (int s = 0; s < kStyleFieldCount; ++s) v.emplace_back(p + kStyleFields[s].name, Number(kStyleFields[s].get(t.effects)));
}

void AddPicture(IniValues& v, const std::string& p, const PictureField& f) {
    v.emplace_back(p + "文件", f.path);
    v.emplace_back(p + "x", Number(f.box.x));
    v.emplace_back(p + "y", Number(f.box.y));
    v.emplace_back(p + "宽", Number(f.box.width));
    v.emplace_back(p + "高", Number(f.box.height));
    v.emplace_back(p + "缩放", FitWord(f.fit));
    v.emplace_back(p + "圆角", Number(f.cornerRadius));
    v.emplace_back(p + "圆形", f.circle ? "1" : "0");
    v.emplace_back(p + "不透明度", Number(f.opacity));
}

void AddQr(IniValues& v, const std::string& p, const QrField& q) {
    v.emplace_back(p + "内容", EscapeLineBreaks(q.text));
    v.emplace_back(p + "纠错", LevelWord(q.level));
    v.emplace_back(p + "留白", Number(q.quietModules));
    v.emplace_back(p + "深色", Number(q.dark));
    v.emplace_back(p + "浅色", Number(q.light));
    v.emplace_back(p + "浅色透明", q.lightTransparent ? "1" : "0");
    v.emplace_back(p + "x", Number(q.x));
    v.emplace_back(p + "y", Number(q.y));
    v.emplace_back(p + "大小", Number(q.size));
    v.emplace_back(p + "中心图片", q.centrePicture);
}

}  // namespace

const char* KindWord(FieldKind kind) { return WordOf(kKindWords, kind); }
const char* FitWord(PictureFit fit) { return WordOf(kFitWords, fit); }
const char* LevelWord(QrLevel level) { return WordOf(kLevelWords, level); }

std::vector<PosterField> ReadStoredExtraFields(const StoredLookup& read, const std::vector<std::string>& fontNames) {
    std::vector<PosterField> fields;
    std::string countText;
    int64_t count = 0;
    if (!read(kCountKey, &countText) || !ParseStoredNumber(countText, &count)) return fields;
    size_t texts = kStandardFieldCount;
    for (size_t i = 0; i < size_t(std::clamp<int64_t>(count, 0, kMaxExtraFields)); ++i) {
        const Group g{read, Prefix(i)};
        std::string word;
        FieldKind kind;
        if (!g.Text("类型", &word) || !ValueOf(kKindWords, word, &kind)) continue;
        if (kind == FieldKind::Text && texts == kMaxTextFields) continue;
        PosterField f;
        f.kind = kind;
        if (!g.Text("名称", &f.name) || f.name.empty()) f.name = g.prefix;
        switch (kind) {
        case FieldKind::Text: f.text = ReadText(g, fontNames), ++texts; break;
        case FieldKind::Picture: f.picture = ReadPicture(g); break;
        case FieldKind::Qr: f.qr = ReadQr(g); break;
        }
        fields.push_back(std::move(f));
    }
    return fields;
}

IniValues StoredExtraFields(const PosterDescription& poster, bool fileHadFields) {
    IniValues v;
    if (poster.fields.size() <= kStandardFieldCount) {
        if (fileHadFields) v.emplace_back(kCountKey, "0");
        return v;
    }
    v.emplace_back(kCountKey, Number(int64_t(poster.fields.size() - kStandardFieldCount)));
    for (size_t i = kStandardFieldCount; i < poster.fields.size(); ++i) {
        const PosterField& f = poster.fields[i];
        const std::string p = Prefix(i - kStandardFieldCount);
        v.emplace_back(p + "类型", KindWord(f.kind));
        v.emplace_back(p + "名称", f.name);
        switch (f.kind) {
        case FieldKind::Text: AddText(v, p, f.text); break;
        case FieldKind::Picture: AddPicture(v, p, f.picture); break;
        case FieldKind::Qr: AddQr(v, p, f.qr); break;
        }
    }
    return v;
}

PosterField NewField(FieldKind kind, const PosterDescription& poster) {
    size_t same = 0;
    for (const PosterField& f : poster.fields) same += f.kind == kind;
    PosterField f;
    f.kind = kind;
    f.name = std::string(KindWord(kind)) + std::to_string(same + 1);
    switch (kind) {
    case FieldKind::Text: f.text = {"", 40, 0, 120, 400, "", {}}; break;
    case FieldKind::Picture: f.picture.box = {120, 500, 300, 300}; break;
    case FieldKind::Qr: f.qr.x = 120, f.qr.y = 900, f.qr.size = kDefaultQrSize; break;
    }
    return f;
}

}  // namespace app
