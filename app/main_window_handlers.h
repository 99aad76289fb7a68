// Event handlers of the main window. Handlers take no arguments of their own and
// return nothing; the dispatcher passes its result slot first.
#pragma once
#include "runtime/core/runtime_interface.h"

extern "C" {
void IMPRINTA_CDECL OnMainWindowCreated(EventResultSlot* result);
void IMPRINTA_CDECL OnMainWindowDestroying(EventResultSlot* result);
void IMPRINTA_CDECL RefreshPreview(EventResultSlot* result);
void IMPRINTA_CDECL ExportPicture(EventResultSlot* result);
void IMPRINTA_CDECL OpenExportedPicture(EventResultSlot* result);
void IMPRINTA_CDECL OpenTutorial(EventResultSlot* result);
void IMPRINTA_CDECL AddPictureWatermark(EventResultSlot* result);
void IMPRINTA_CDECL ExportAllTemplates(EventResultSlot* result);
}

namespace app {
// The fixed file name of the exported picture, appended to the run directory.
extern const char kExportFileName[];
// Where the tutorial page lives: next to the program.
extern const char kTutorialFileName[];

// One text pass as the preview and the batch job make it: reads font, size,
// position, colour and text from the units and draws onto picture.
enum class TextPass { Title, Body };
void* DrawPass(const void* picture, TextPass pass);
}  // namespace app
