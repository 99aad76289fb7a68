// Picture and QR code fields drawn on a canvas: plain pixel work (no Windows
// header), so it builds natively with its tests. Positions and sizes are in
// picture pixels; a preview canvas is smaller by `scale` and everything is
// placed by the same rounding, so the preview shows what the file will hold.
#pragma once
#include <cstdint>
#include <vector>
#include "app/poster/poster.h"
#include "runtime/pictures/picture_canvas.h"

namespace app {

// Canvas pixels per picture pixel.
struct FieldScale {
    float x = 1, y = 1;
};

// ---- pictures ---------------------------------------------------------------

// The part of a sw x sh picture that is shown and where it goes, in picture
// pixels: Inside shows it whole, centred in the box; Fill cuts the overflow off
// evenly; Stretch maps it onto the box.
struct PictureSpan {
    double sx = 0, sy = 0, sw = 0, sh = 0;  // source
    double dx = 0, dy = 0, dw = 0, dh = 0;  // destination
};
PictureSpan FitPicture(uint32_t sw, uint32_t sh, const FieldBox& box, PictureFit fit);

// The picture's shown part resampled to the canvas pixels it covers; empty
// when nothing of it is on the canvas or memory runs out. Kept by the preview
// between keystrokes (the key is its span and size).
struct PlacedPicture {
    int32_t x = 0, y = 0;  // canvas pixels
    imprinta::picture::Canvas pixels;
};
PlacedPicture PlacePicture(const imprinta::picture::Canvas& picture, const PictureSpan& span, FieldScale scale);

// Blends a placed picture over the canvas through the field's corners or
// circle (edges antialiased) at its opacity.
void BlendPicture(imprinta::picture::Canvas& on, const PlacedPicture& placed, const PictureField& f, FieldScale scale);

// ---- QR codes ---------------------------------------------------------------

// The modules of a code, width x width, row by row: nonzero is dark.
struct QrModules {
    int32_t width = 0;
    std::vector<uint8_t> dark;
};

// A module narrower than this is not drawn: phones cannot tell such modules
// apart on a printed or shared poster.
constexpr int32_t kMinModulePixels = 2;

// How a code of `modules` modules and its quiet zone take a size x size
// square: whole pixels per module, the code centred. modulePixels is 0 when
// the square cannot give every module kMinModulePixels.
struct QrPlace {
    int32_t modulePixels = 0;
    int32_t side = 0;    // the code with its quiet zone
    int32_t offset = 0;  // from the square's corner
};
QrPlace PlaceQr(int32_t modules, int32_t quietModules, int32_t size);

// The modules of the centre picture's square (odd, so it sits on the middle
// module), at level H only; 0 without one.
int32_t CentreModules(int32_t width);

// Draws the code (the centre picture too, when given and the level is H).
void DrawQr(imprinta::picture::Canvas& on, const QrModules& modules, const QrField& f,
            const imprinta::picture::Canvas* centre, FieldScale scale);

}  // namespace app
