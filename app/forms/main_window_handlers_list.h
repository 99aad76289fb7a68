// The application's event handlers in code-base order: handler k sits at code
// base + 8 * k, the offset the form template stores for it.
#pragma once
#include "runtime/forms/handler_table.h"

#define MAIN_WINDOW_HANDLERS(X) \
    X(OnMainWindowCreated)      \
    X(OnMainWindowDestroying)   \
    X(RefreshPreview)           \
    X(ExportPicture)            \
    X(OpenExportedPicture)      \
    X(OpenTutorial)             \
    X(AddPictureWatermark)      \
    X(ExportAllTemplates)       \
    X(OpenStyleDialog)          \
    X(OnStyleDialogCreated)     \
    X(StyleDialogChanged)       \
    X(StyleDialogOk)            \
    X(StyleDialogCancel)        \
    X(SaveStyleAs)              \
    X(LoadStyleFile)            \
    X(ExportTableBatch)         \
    X(TemplatePathTyped)        \
    X(AddTextField)             \
    X(AddPictureField)          \
    X(AddQrField)               \
    X(RemoveField)              \
    X(MoveFieldUp)              \
    X(MoveFieldDown)            \
    X(OpenFieldDialog)          \
    X(OnFieldDialogCreated)     \
    X(FieldDialogChanged)       \
    X(FieldDialogOk)            \
    X(FieldDialogCancel)        \
    X(FieldDialogBrowse)        \
    X(OnSheetWindowCreated)     \
    X(SheetWindowSave)          \
    X(SheetWindowClose)

IMPRINTA_HANDLER_INDICES(MAIN_WINDOW_HANDLERS)
