// The label ("标签", class "_QX_Label"): paints its whole area itself, an
// optional gradient frame, a background picture, gradient or colour, and a
// caption with alignment, word wrap and an effect.
#pragma once
#include <windows.h>
#include <cstdint>
#include <string>
#include "runtime/units/label_data.h"
#include "runtime/units/picture_render.h"
#include "runtime/units/unit_framework.h"

namespace imprinta::units {

constexpr UINT kLabelFeedbackMessage = 0x8075;

// Caption drawing shared by the label and the transparent label.
struct CaptionStyle {
    int effect = 0;         // 0 plain, 1 raised, 2 sunken, 3 shadow
    COLORREF textColour = 0;
    int alignment = 0;      // 0 left, 1 centre, 2 right
    int verticalAlignment = 1;
    bool wordWrap = false;
};
// The DrawText format of a caption style.
UINT CaptionFormat(const CaptionStyle& s);
void DrawCaption(HDC dc, const std::string& caption, HFONT font, const RECT& rect, const CaptionStyle& s);

// Either label's caption in the style its data holds (both keep the same fields).
template <class LabelFields>
void DrawCaptionOf(HDC dc, const LabelFields& d, HFONT font, const RECT& rect) {
    const CaptionStyle s{d.effect, ResolveColour(d.textColour), d.alignment, d.verticalAlignment, d.wordWrap};
    DrawCaption(dc, d.caption, font, rect, s);
}

// A gradient of 2 or 3 colours over rect in mode 1..8, drawn in tiles of at
// most 50 x 50 pixels; tiles outside clip are skipped.
void DrawGradient(HDC dc, const RECT& rect, int mode, const uint32_t* colours, int count, const RECT& clip);
// The four-band gradient frame inside rect; returns the band widths drawn.
void DrawGradientFrame(HDC dc, const RECT& rect, int frameWidth, const uint32_t* colours, int count,
                       const RECT& clip);

class LabelUnit : public Unit {
public:
    using Data = LabelData;
    PropertyData& Properties() override { return data; }
    bool CreateControl(const CreateParams& p) override;
    bool SetProperty(int number, const PropertyValue& value, char** tip) override;
    bool GetProperty(int number, PropertyValue& value) override;
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

    // The rectangle left for background and caption after the frame.
    RECT InnerRect() const;
    LabelData data;

private:
    void Paint(HDC dc, const RECT& clip);
    void Repaint();
    RenderedPicture picture_;
    bool pictureTried_ = false;
};

}  // namespace imprinta::units
