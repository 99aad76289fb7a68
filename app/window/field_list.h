// The main window's list of the poster's fields: 标题, 文案, then the added
// fields by name, in drawing order. Entry k of the list is field k of
// WindowPoster(); the buttons beside it remove and reorder the added fields
// (the title and the body stay first and cannot be removed). Adding a field
// opens its settings and lives with them (field_dialog.cpp).
#pragma once
#include <cstddef>
#include "app/poster/poster.h"

namespace app {

// Fills the list again when the fields' names or order changed (a load, a
// Cancel, an added field); the choice stays on the same field where it can.
void SyncFieldList();
// The chosen entry (0, the title, when none is).
size_t SelectedField();
void SelectField(size_t index);
// Whether another field of the kind may be added, else why not (GBK).
const char* RefusalToAdd(FieldKind kind);

}  // namespace app
