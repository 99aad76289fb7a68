#include "app/window/program_state.h"
#include "app/platform/runtime_calls.h"

namespace app {

void* CurrentPicture = nullptr;
ReducedPreview CurrentReduction;
bool MainWindowClosing = false;

void ReplaceCurrentPicture(void* picture) {
    if (picture != CurrentPicture) Free(CurrentPicture);
    CurrentPicture = picture;
    CurrentReduction = {};
}

namespace {
OutputFormat g_outputFormat;
}  // namespace

OutputFormat CurrentOutputFormat() { return g_outputFormat; }
void SetCurrentOutputFormat(const OutputFormat& format) { g_outputFormat = format; }

}  // namespace app
