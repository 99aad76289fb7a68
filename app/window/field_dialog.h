// The settings of one field of the window's poster, in a modal dialog: the
// text style dialog for the title and the body, else the field dialog of the
// field's kind. Every change is drawn at once; OK keeps the changes and saves
// the settings, anything else that closes it puts `restoreOnCancel` back.
#pragma once
#include <cstddef>
#include "app/window/settings.h"

namespace app {

void EditField(size_t index, const SettingsSnapshot& restoreOnCancel);

}  // namespace app
