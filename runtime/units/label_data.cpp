#include "runtime/units/label_data.h"

namespace imprinta::units {

void LabelData::Reset() { *this = LabelData(); }

bool LabelData::Serialize(PropertyArchive& ar) {
    if (!ar.Version(2)) return false;
    ar.Int(effect);
    ar.Int(frameWidth);
    ar.Int(border);
    for (uint32_t& c : frameColour) ar.Colour(c);
    ar.Colour(textColour);
    ar.Colour(backColour);
    ar.Int(pictureMode);
    ar.Int(gradientMode);
    for (uint32_t& c : gradientColour) ar.Colour(c);
    ar.Int(alignment);
    ar.Int(verticalAlignment);
    ar.Bool(wordWrap);
    ar.Font(font);
    ar.Data(backPicture);
    ar.Text(caption);
    if (ar.version() >= 2) {
        ar.Text(dataSource);
        ar.Text(dataColumn);
    }
    return ar.ok();
}

}  // namespace imprinta::units
