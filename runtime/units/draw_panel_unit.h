// The drawing panel ("画板", class "_QX_DrawPanel"): a background colour and
// picture, drawing state (pen, brush, font, drawing unit) and either a back
// buffer copied to the screen (automatic redraw) or the paint event.
#pragma once
#include <windows.h>
#include <cstdint>
#include "runtime/units/draw_panel_data.h"
#include "runtime/units/picture_render.h"
#include "runtime/units/unit_framework.h"

namespace imprinta::units {

// Sets the mapping of a drawing unit (0 pixel, 1 0.1 mm, 2 0.01 mm, 3 0.01
// inch, 4 0.001 inch, 5 twip) on dc with y growing downward.
void SetDrawingUnit(HDC dc, int unit);
// A font record's height in a drawing unit (record copied, height converted).
int FontHeightInUnit(int height, int unit, int pixelsPerInch);

class DrawPanelUnit : public Unit {
public:
    using Data = DrawPanelData;
    ~DrawPanelUnit() override;
    PropertyData& Properties() override { return data; }
    bool CreateControl(const CreateParams& p) override;
    bool SetProperty(int number, const PropertyValue& value, char** tip) override;
    bool GetProperty(int number, PropertyValue& value) override;
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

    // The surface drawing operations use: the back buffer, the paint context
    // during the paint event, or null.
    HDC DrawingTarget() const { return target_; }
    bool hasBackBuffer() const { return buffer_ != nullptr; }
    SIZE BackBufferSize() const { return bufferSize_; }
    HPEN pen() const { return pen_; }
    HBRUSH brush() const { return drawBrush_; }
    HFONT drawFont() const { return drawFont_; }
    // The client size converted to drawing units.
    SIZE DrawSize() const;

    DrawPanelData data;

private:
    void PaintBackground(HDC dc, const RECT& area);
    void RebuildBuffer(bool keepContent);
    void DeleteBuffer();
    void MakePen();
    void MakeBrush();
    void MakeDrawFont();
    void ApplyDrawingState(HDC dc);
    void Paint();
    void BackgroundChanged();  // colour or picture: decode again, rebuild, repaint
    void SetAutoRedraw(bool on);
    bool StorePen(int number, const PropertyValue& v);
    void Repaint() {
        if (hwnd) InvalidateRect(hwnd, nullptr, FALSE);
    }

    RenderedPicture picture_;
    bool pictureTried_ = false;
    HDC bufferDc_ = nullptr;
    HBITMAP buffer_ = nullptr;
    HGDIOBJ bufferOld_ = nullptr;
    SIZE bufferSize_ = {0, 0};
    HDC target_ = nullptr;
    HPEN pen_ = nullptr;
    HBRUSH drawBrush_ = nullptr;
    HFONT drawFont_ = nullptr;
    RECT painting_ = {0, 0, 0, 0};
};

}  // namespace imprinta::units
