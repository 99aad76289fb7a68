// The poster room: what a poster is, apart from how it is drawn or where it
// comes from. A poster is a template picture and an ordered list of fields
// drawn on it in that order; the window, the export, both batches and the
// command line each build one and hand it to the renderer, which draws any
// description the same way.
//
// Owns: the description (this file), text style and layout, limits, the
// stored form of the settings, tables of texts and the placeholders they fill.
// May use: the standard library only. Plain C++ without Windows headers: it
// builds natively with its tests. Texts are GBK (code page 936) bytes.
#pragma once
#include <cstdint>
#include <string>
#include <vector>
#include "app/poster/text_style.h"

namespace app {

// What a field draws. Each kind has its own part of PosterField.
enum class FieldKind : int32_t { Text, Picture, Qr };

// A text: drawn bold and antialiased in its font, size and colour, its layout
// box's corner at (x, y) in picture pixels, set as its effects say.
struct TextField {
    std::string font;  // family name; empty: none chosen (GDI+ then draws nothing)
    int32_t size = 0;  // pixels
    uint32_t colour = 0;  // 0x00BBGGRR
    int32_t x = 0, y = 0;
    std::string text;  // CR LF breaks lines; may hold placeholders ("{日期}")
    TextEffects effects;
    bool operator==(const TextField&) const = default;
};

// A box on the poster in picture pixels: its top left corner and its size.
struct FieldBox {
    int32_t x = 0, y = 0, width = 0, height = 0;
    bool operator==(const FieldBox&) const = default;
};

// How a picture takes its box: whole inside it (in proportion, centred), the
// box filled (in proportion, the overflow cut off evenly), or stretched to it.
enum class PictureFit : int32_t { Inside, Fill, Stretch };

// A picture file (PNG, JPEG, BMP, GIF) drawn into a box. The path may hold
// placeholders ("{照片}"); a relative path filled from a table row names a file
// beside the table.
struct PictureField {
    std::string path;
    FieldBox box;
    PictureFit fit = PictureFit::Inside;
    int32_t cornerRadius = 0;  // pixels; 0: square corners
    bool circle = false;       // an ellipse inscribed in the picture's place (avatars)
    int32_t opacity = 100;     // percent
    bool operator==(const PictureField&) const = default;
};

// A QR code: its text (placeholders allowed), error correction level, quiet
// zone in modules, colours, and its size in pixels. Every module is a whole
// number of pixels: the code is drawn at the largest such size within `size`,
// centred in the size x size square at (x, y). A centre picture is drawn only
// at level H, whose correction makes up for the modules it hides.
enum class QrLevel : int32_t { L, M, Q, H };
struct QrField {
    std::string text;
    QrLevel level = QrLevel::M;
    int32_t quietModules = 4;
    uint32_t dark = 0x000000;   // 0x00BBGGRR
    uint32_t light = 0xFFFFFF;
    bool lightTransparent = false;
    int32_t x = 0, y = 0, size = 0;
    std::string centrePicture;  // a picture file, placeholders allowed; empty: none
    bool operator==(const QrField&) const = default;
};

struct PosterField {
    FieldKind kind = FieldKind::Text;
    // The prefix its settings are kept under ("标题", "文案"): its name in
    // files, tables and messages.
    std::string name;
    TextField text;           // kind Text
    PictureField picture{};  // kind Picture
    QrField qr{};            // kind Qr
    bool operator==(const PosterField&) const = default;
};

struct PosterDescription {
    std::string templatePath;  // as the person gave it; a batch hands its own template over
    std::vector<PosterField> fields;
    bool operator==(const PosterDescription&) const = default;
};

// The title and the body: the first two text fields of every poster, by the
// names their settings have always been kept under.
extern const char kTitleFieldName[];
extern const char kBodyFieldName[];
enum : size_t { kTitleField = 0, kBodyField = 1, kStandardFieldCount = 2 };
// Fields a poster may carry beyond the title and the body, and of them texts.
constexpr size_t kMaxExtraFields = 16;
constexpr size_t kMaxTextFields = 10;

// The field of that name, or null.
PosterField* FindField(PosterDescription& poster, const std::string& name);
const PosterField* FindField(const PosterDescription& poster, const std::string& name);

// Everything the drawn picture depends on but the template's bytes, as one
// text: equal keys, equal pictures from the same template.
std::string DrawingKey(const PosterDescription& poster);

}  // namespace app
