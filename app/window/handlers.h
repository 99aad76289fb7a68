// The window room: the main window and the style dialog, what their units
// hold and what their events do. The poster the window shows is built from its
// units (window_poster.h), drawn by the render room and kept in pz.ini
// (settings.h).
//
// Owns: the event handlers, the preview and its refreshes, the export (and the
// export made ahead), settings and window place, the style dialog, drag and
// drop, layout. May use: the poster, render and platform rooms, the forms and
// resources; never the batches, which use the window.
//
// Event handlers of the main window. Handlers take no arguments of their own
// and return nothing; the dispatcher passes its result slot first.
#pragma once
#include "runtime/core/runtime_interface.h"

extern "C" {
void IMPRINTA_CDECL OnMainWindowCreated(EventResultSlot* result);
void IMPRINTA_CDECL OnMainWindowDestroying(EventResultSlot* result);
void IMPRINTA_CDECL RefreshPreview(EventResultSlot* result);
// The template box changed: the preview follows once typing pauses.
void IMPRINTA_CDECL TemplatePathTyped(EventResultSlot* result);
void IMPRINTA_CDECL ExportPicture(EventResultSlot* result);
void IMPRINTA_CDECL OpenExportedPicture(EventResultSlot* result);
void IMPRINTA_CDECL OpenTutorial(EventResultSlot* result);
void IMPRINTA_CDECL AddPictureWatermark(EventResultSlot* result);
// The text style dialog (style_dialog.cpp).
void IMPRINTA_CDECL OpenStyleDialog(EventResultSlot* result);
void IMPRINTA_CDECL OnStyleDialogCreated(EventResultSlot* result);
void IMPRINTA_CDECL StyleDialogChanged(EventResultSlot* result);
void IMPRINTA_CDECL StyleDialogOk(EventResultSlot* result);
void IMPRINTA_CDECL StyleDialogCancel(EventResultSlot* result);
void IMPRINTA_CDECL SaveStyleAs(EventResultSlot* result);
void IMPRINTA_CDECL LoadStyleFile(EventResultSlot* result);
// The poster's fields: the list's buttons (field_list.cpp) and the field dialogs (field_dialog.cpp).
void IMPRINTA_CDECL AddTextField(EventResultSlot* result);
void IMPRINTA_CDECL AddPictureField(EventResultSlot* result);
void IMPRINTA_CDECL AddQrField(EventResultSlot* result);
void IMPRINTA_CDECL RemoveField(EventResultSlot* result);
void IMPRINTA_CDECL MoveFieldUp(EventResultSlot* result);
void IMPRINTA_CDECL MoveFieldDown(EventResultSlot* result);
void IMPRINTA_CDECL OpenFieldDialog(EventResultSlot* result);
void IMPRINTA_CDECL OnFieldDialogCreated(EventResultSlot* result);
void IMPRINTA_CDECL FieldDialogChanged(EventResultSlot* result);
void IMPRINTA_CDECL FieldDialogOk(EventResultSlot* result);
void IMPRINTA_CDECL FieldDialogCancel(EventResultSlot* result);
void IMPRINTA_CDECL FieldDialogBrowse(EventResultSlot* result);
// The batch overview window (sheet_window.cpp).
void IMPRINTA_CDECL OnSheetWindowCreated(EventResultSlot* result);
void IMPRINTA_CDECL SheetWindowSave(EventResultSlot* result);
void IMPRINTA_CDECL SheetWindowClose(EventResultSlot* result);
// The window's batches, which live with the other batches (app/batch/).
void IMPRINTA_CDECL ExportAllTemplates(EventResultSlot* result);
void IMPRINTA_CDECL ExportTableBatch(EventResultSlot* result);
}

namespace app {
// "另存为…": the export into a file the person names; its folder is then
// where later exports and batches go.
void ExportPictureAs();
}  // namespace app
