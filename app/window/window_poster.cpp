#include "app/window/window_poster.h"
#include "app/platform/file_io.h"
#include "app/poster/font_list.h"
#include "app/window/unit_access.h"

namespace app {

using namespace mainwindow;

const TextFieldUnits kTextFieldUnits[kStandardFieldCount] = {
    {kTitleFont, kTitleSize, kTitleX, kTitleY, kTitleColour, kTitleText},
    {kBodyFont, kBodySize, kBodyX, kBodyY, kBodyColour, kBodyText},
};

namespace {

TextEffects g_effects[kStandardFieldCount];
const char* const kFieldNames[kStandardFieldCount] = {kTitleFieldName, kBodyFieldName};

std::string TextOf(const Block& b) { return b.text() ? b.text() : ""; }

KeptFile g_templateFile;

}  // namespace

std::vector<PosterField>& ExtraFields() {
    static std::vector<PosterField> fields;
    return fields;
}

TextEffects& FieldEffects(size_t field) {
    if (field < kStandardFieldCount) return g_effects[field];
    const size_t extra = field - kStandardFieldCount;
    return extra < ExtraFields().size() ? ExtraFields()[extra].text.effects : g_effects[0];
}

PosterDescription WindowPoster() {
    PosterDescription poster;
    Block path(EditContent(kTemplatePath));
    poster.templatePath = TextOf(path);
    for (size_t i = 0; i < kStandardFieldCount; ++i) {
        const TextFieldUnits& u = kTextFieldUnits[i];
        Block font(ComboItemText(u.font, ComboListIndex(u.font))), text(EditContent(u.text));
        poster.fields.push_back({FieldKind::Text, kFieldNames[i],
                                 {FamilyOfListItem(TextOf(font)), EditNumber(u.size), PickedColour(u.colour), EditNumber(u.x),
                                  EditNumber(u.y), TextOf(text), g_effects[i]}});
    }
    poster.fields.insert(poster.fields.end(), ExtraFields().begin(), ExtraFields().end());
    return poster;
}

const void* TemplateBytes(const std::string& path, uint32_t* error) { return g_templateFile.Read(path, error); }

void ForgetTemplateBytes() { g_templateFile.Forget(); }

KeptRepack PackFullSize(OutputFormat format) {
    const PosterDescription poster = WindowPoster();
    uint32_t error = 0;
    Composition picture(TemplateBytes(poster.templatePath, &error));
    picture.Draw(poster);
    return KeptRepack(picture, format);
}

std::string PosterInputs() {
    const PosterDescription poster = WindowPoster();
    const FileStamp stamp = StampOf(poster.templatePath);
    const uint64_t numbers[] = {stamp.written, stamp.size};
    std::string inputs = std::string(reinterpret_cast<const char*>(numbers), sizeof numbers) + DrawingKey(poster);
    // The picture fields' files as they are on disk too: a photo replaced under
    // the same name makes another poster.
    for (const PosterField& f : poster.fields) {
        const std::string* paths[] = {f.kind == FieldKind::Picture ? &f.picture.path : nullptr,
                                      f.kind == FieldKind::Qr ? &f.qr.centrePicture : nullptr};
        for (const std::string* path : paths) {
            if (!path || path->empty()) continue;
            const FileStamp s = StampOf(*path);
            const uint64_t n[] = {s.written, s.size};
            inputs.append(reinterpret_cast<const char*>(n), sizeof n);
        }
    }
    return inputs;
}

}  // namespace app
