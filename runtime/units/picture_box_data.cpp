#include "runtime/units/picture_box_data.h"

namespace imprinta::units {

void PicBoxData::Reset() { *this = PicBoxData(); }

bool PicBoxData::Serialize(PropertyArchive& ar) {
    if (!ar.Version(2)) return false;
    ar.Int(border);
    ar.Colour(backColour);
    ar.Int(displayMode);
    ar.Bool(animate);
    ar.Data(picture);
    if (ar.version() >= 2) {
        ar.Text(dataSource);
        ar.Text(dataColumn);
    }
    return ar.ok();
}

}  // namespace imprinta::units
