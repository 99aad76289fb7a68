#include "runtime/units/button_data.h"

namespace imprinta::units {

void ButtonData::Reset() { *this = ButtonData(); }

bool ButtonData::Serialize(PropertyArchive& ar) {
    if (!ar.Version(1)) return false;
    ar.Int(buttonType);
    ar.Int(alignment);
    ar.Int(verticalAlignment);
    ar.Data(picture);
    ar.Font(font);
    ar.Text(caption);
    return ar.ok();
}

}  // namespace imprinta::units
