#include "runtime/units/group_box_data.h"

namespace imprinta::units {

void GroupBoxData::Reset() { *this = GroupBoxData(); }

bool GroupBoxData::Serialize(PropertyArchive& ar) {
    if (!ar.Version(1)) return false;
    ar.Int(alignment);
    ar.Colour(textColour);
    ar.Colour(backColour);
    ar.Font(font);
    ar.Text(caption);
    return ar.ok();
}

}  // namespace imprinta::units
