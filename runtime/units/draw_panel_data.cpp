#include "runtime/units/draw_panel_data.h"

namespace imprinta::units {

void DrawPanelData::Reset() { *this = DrawPanelData(); }

bool DrawPanelData::Serialize(PropertyArchive& ar) {
    if (!ar.Version(1)) return false;
    ar.Int(border);
    ar.Colour(backColour);
    ar.Int(pictureMode);
    ar.Bool(autoRedraw);
    ar.Int(drawingUnit);
    ar.Int(penStyle);
    ar.Int(drawMode);
    ar.Int(penWidth);
    ar.Colour(penColour);
    ar.Int(brushStyle);
    ar.Colour(brushColour);
    ar.Colour(textColour);
    ar.Colour(textBackColour);
    ar.Font(font);
    ar.Data(backPicture);
    return ar.ok();
}

}  // namespace imprinta::units
