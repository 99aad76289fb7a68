#include "app/window/export_ahead.h"
#include <windows.h>
#include <memory>
#include <new>
#include <string>
#include "app/window/batch_run.h"
#include "app/window/keystrokes.h"
#include "app/window/window_poster.h"
#include "app/window/program_state.h"
#include "app/render/renderer.h"
#include "runtime/core/blocks.h"

namespace app {

namespace {

constexpr UINT_PTR kExportAheadTimer = 0x2521;
// Longer than the gap between two keystrokes of a person typing, shorter than
// the way of the hand to the export button.
constexpr UINT kIdleMs = 400;
// Posters: a photo's second full-size copy, made on top of the export's own
// when the button comes before the packing is done, would not fit the memory
// the program allows itself.
constexpr uint64_t kLargestPrepared = uint64_t(4) << 20;  // pixels

struct Prepared {
    std::string inputs;  // PosterInputs() it was made from
    OutputFormat format;
    KeptRepack packing;
};
std::unique_ptr<Prepared> g_prepared;
LONG g_preparedCount = 0;
// How many exports were made ahead: a window property for those who watch.
const char kPreparedProperty[] = "ImprintaExportsAhead";

bool Worthwhile() {
    return CurrentReduction.active &&
           uint64_t(CurrentReduction.width) * uint64_t(CurrentReduction.height) <= kLargestPrepared;
}

bool Current(const Prepared& p, OutputFormat format, const std::string& inputs) {
    return p.inputs == inputs && p.format.kind == format.kind &&
           (format.kind == FileFormat::Png || p.format.quality == format.quality);
}

void CALLBACK OnIdle(HWND window, UINT, UINT_PTR id, DWORD) {
    KillTimer(window, id);
    if (!Worthwhile() || MainWindowClosing || BatchRunning()) return;
    const OutputFormat format = CurrentOutputFormat();
    std::string inputs = PosterInputs();
    if (g_prepared && Current(*g_prepared, format, inputs)) return;
    // Still typing, or the last packing (one no longer wanted) still running:
    // later, so that at most one packing shares the processor with the typing.
    if (KeystrokeWaiting() || (g_prepared && !g_prepared->packing.Done())) {
        SetTimer(window, id, kIdleMs, OnIdle);
        return;
    }
    // Nothing is read between the inputs and the composition: no message runs.
    // Work ahead is only ever a saving: without the memory for it the export
    // composes when clicked, as it would have anyway.
    try {
        g_prepared.reset();
        g_prepared.reset(new Prepared{std::move(inputs), format, PackFullSize(format)});
    } catch (const std::bad_alloc&) {
        g_prepared.reset();
    }
    SetPropA(window, kPreparedProperty, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(++g_preparedCount)));
}

}  // namespace

void PrepareExportWhenIdle(HWND mainWindow) {
    if (mainWindow && Worthwhile()) SetTimer(mainWindow, kExportAheadTimer, kIdleMs, OnIdle);
}

void* ExportComposed(OutputFormat format) {
    if (!Worthwhile()) return PackFullSize(format).Take();
    // Made from the template file and the units, as a fresh composition is:
    // the same inputs give the same file.
    std::string inputs = PosterInputs();
    if (!g_prepared || !Current(*g_prepared, format, inputs)) {
        g_prepared.reset();  // a stale packing still under way finishes on its own
        try {
            g_prepared.reset(new Prepared{std::move(inputs), format, PackFullSize(format)});
        } catch (const std::bad_alloc&) {
            return PackFullSize(format).Take();
        }
    }
    // Kept for the next export of the same poster and for the idle check, which
    // would otherwise pack again what was just written.
    void* bytes = g_prepared->packing.Take();
    if (!bytes) g_prepared.reset();
    return bytes;
}

}  // namespace app
