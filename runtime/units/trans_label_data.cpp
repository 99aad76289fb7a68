#include "runtime/units/trans_label_data.h"

namespace imprinta::units {

void TransLabelData::Reset() { *this = TransLabelData(); }

bool TransLabelData::Serialize(PropertyArchive& ar) {
    if (!ar.Version(1)) return false;
    ar.Int(effect);
    ar.Colour(textColour);
    ar.Int(alignment);
    ar.Int(verticalAlignment);
    ar.Bool(wordWrap);
    ar.Font(font);
    ar.Text(caption);
    return ar.ok();
}

}  // namespace imprinta::units
