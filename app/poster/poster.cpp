#include "app/poster/poster.h"
#include <algorithm>

namespace app {

const char kTitleFieldName[] = "标题";
const char kBodyFieldName[] = "文案";

PosterField* FindField(PosterDescription& poster, const std::string& name) {
    auto f = std::find_if(poster.fields.begin(), poster.fields.end(), [&](const PosterField& p) { return p.name == name; });
    return f == poster.fields.end() ? nullptr : &*f;
}

const PosterField* FindField(const PosterDescription& poster, const std::string& name) {
    return FindField(const_cast<PosterDescription&>(poster), name);
}

namespace {

template <typename T>
void AppendRaw(std::string& key, const T& value) {
    key.append(reinterpret_cast<const char*>(&value), sizeof value);
}

// Length first, so that no two lists of texts run together into one key.
void AppendText(std::string& key, const std::string& text) {
    AppendRaw(key, uint32_t(text.size()));
    key += text;
}

}  // namespace

std::string DrawingKey(const PosterDescription& poster) {
    static_assert(sizeof(TextEffects) % sizeof(int32_t) == 0, "effects held as whole numbers, no padding");
    std::string key;
    AppendText(key, poster.templatePath);
    for (const PosterField& f : poster.fields) {
        AppendRaw(key, f.kind);
        AppendText(key, f.name);
        if (f.kind == FieldKind::Picture) {
            const PictureField& p = f.picture;
            AppendText(key, p.path);
            const int32_t numbers[] = {p.box.x, p.box.y, p.box.width, p.box.height, int32_t(p.fit), p.cornerRadius,
                                       p.circle, p.opacity};
            AppendRaw(key, numbers);
            continue;
        }
        if (f.kind == FieldKind::Qr) {
            const QrField& q = f.qr;
            AppendText(key, q.text);
            AppendText(key, q.centrePicture);
            const int32_t numbers[] = {int32_t(q.level), q.quietModules, int32_t(q.dark), int32_t(q.light),
                                       q.lightTransparent, q.x, q.y, q.size};
            AppendRaw(key, numbers);
            continue;
        }
        const TextField& t = f.text;
        AppendText(key, t.font);
        AppendText(key, t.text);
        const int32_t numbers[] = {t.size, int32_t(t.colour), t.x, t.y};
        AppendRaw(key, numbers);
        AppendRaw(key, t.effects);
    }
    return key;
}

}  // namespace app
