// The export made ahead while the program is idle. A full-size poster costs a
// second and more to pack (its PNG is packed hard, so the file is small); made
// as soon as typing pauses, on a thread of its own, the export button finds it
// done and only writes the file. Only the picture it was made for, in the
// format it was made in, is ever taken: any change to the texts, settings or
// template file makes it stale.
#pragma once
#include <windows.h>
#include "app/poster/output_format.h"

namespace app {

// After each preview drawn: forgets what was made for the previous one and
// makes this one's once the program has been idle a moment.
void PrepareExportWhenIdle(HWND mainWindow);
// The file's bytes of the full-size poster for the preview shown now, in the
// format (owned by the caller; null when it cannot be made): what was made
// ahead when it still matches (waiting for a packing still under way), else
// composed now.
void* ExportComposed(OutputFormat format);

}  // namespace app
