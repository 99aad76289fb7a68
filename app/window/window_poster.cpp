#include "app/window/window_poster.h"
#include "app/platform/file_io.h"
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

TextEffects& FieldEffects(size_t field) { return g_effects[field < kStandardFieldCount ? field : 0]; }

std::vector<PosterField>& ExtraFields() {
    static std::vector<PosterField> fields;
    return fields;
}

PosterDescription WindowPoster() {
    PosterDescription poster;
    Block path(EditContent(kTemplatePath));
    poster.templatePath = TextOf(path);
    for (size_t i = 0; i < kStandardFieldCount; ++i) {
        const TextFieldUnits& u = kTextFieldUnits[i];
        Block font(ComboItemText(u.font, ComboListIndex(u.font))), text(EditContent(u.text));
        poster.fields.push_back({FieldKind::Text, kFieldNames[i],
                                 {TextOf(font), EditNumber(u.size), PickedColour(u.colour), EditNumber(u.x),
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
    return std::string(reinterpret_cast<const char*>(numbers), sizeof numbers) + DrawingKey(poster);
}

}  // namespace app
