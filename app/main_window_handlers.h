// Event handlers of the main window. Handlers take no arguments of their own and
// return nothing; the dispatcher passes its result slot first.
#pragma once
#include <string>
#include "app/renderer.h"
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
// The text style dialog (app/style_dialog.cpp).
void IMPRINTA_CDECL OpenStyleDialog(EventResultSlot* result);
void IMPRINTA_CDECL OnStyleDialogCreated(EventResultSlot* result);
void IMPRINTA_CDECL StyleDialogChanged(EventResultSlot* result);
void IMPRINTA_CDECL StyleDialogOk(EventResultSlot* result);
void IMPRINTA_CDECL StyleDialogCancel(EventResultSlot* result);
void IMPRINTA_CDECL SaveStyleAs(EventResultSlot* result);
void IMPRINTA_CDECL LoadStyleFile(EventResultSlot* result);
// The batch from a table of texts (app/table_batch.cpp).
void IMPRINTA_CDECL ExportTableBatch(EventResultSlot* result);
}

namespace app {
// The fixed file name of the exported picture, appended to the run directory.
extern const char kExportFileName[];
// Where the tutorial page lives: next to the program.
extern const char kTutorialFileName[];

// One text pass as the preview and the batch job make it: reads font, size,
// position, colour and text from the units and stamps them on the composition.
enum class TextPass { Title, Body };
// A text given replaces the unit's.
void DrawPassOn(Composition& picture, TextPass pass, const char* text = nullptr);

// The template with both texts at its own size, packed as a file in the
// format on a thread of its own (Take gives null when the template does not decode).
KeptRepack PackFullSize(OutputFormat format);
// Lets go of the template's bytes kept between refreshes (at exit).
void ForgetTemplateBytes();
// Everything a full-size composition is made from (the template file as it is
// on disk, both passes' units and effects), as one text: equal texts, equal posters.
std::string PosterInputs();
// Whether keystrokes wait to be handled: read from the queue's state, so no
// message runs meanwhile.
bool KeystrokeWaiting();
// Draws a refresh that typing put off, so the picture holds the texts shown.
void FlushDeferredRefresh();

// While a hold lives, RefreshPreview only notes that it was asked for; when the
// last hold ends, one refresh runs if any was asked for. Loading the settings
// writes six boxes, each firing a refresh, while no message is pumped and the
// window is not yet shown: only the last of those pictures could ever be seen.
class PreviewRefreshHold {
public:
    PreviewRefreshHold();
    ~PreviewRefreshHold();
    PreviewRefreshHold(const PreviewRefreshHold&) = delete;
    PreviewRefreshHold& operator=(const PreviewRefreshHold&) = delete;
};
}  // namespace app
