#include "app/program_state.h"
#include "app/runtime_calls.h"

namespace app {

void* CurrentPicture = nullptr;
ReducedPreview CurrentReduction;
uint32_t GdiPlusToken = 0;
bool MainWindowClosing = false;
TextEffects TitleEffects, BodyEffects;

void ReplaceCurrentPicture(void* picture) {
    if (picture != CurrentPicture) Free(CurrentPicture);
    CurrentPicture = picture;
    CurrentReduction = {};
}

}  // namespace app
