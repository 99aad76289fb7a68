// The two program-level variables the application layer shares.
#pragma once
#include <cstdint>

namespace app {

// The last composed picture: a complete PNG file image as a byte set, or null.
extern void* CurrentPicture;
// Replaces CurrentPicture, releasing the previous block.
void ReplaceCurrentPicture(void* picture);
// Set (after ReplaceCurrentPicture) when CurrentPicture is a text preview made
// at the size the box shows it: the picture's own size, which text positions
// are measured in. Export and batch compose the full-size picture instead.
struct ReducedPreview {
    bool active = false;
    int32_t width = 0, height = 0;
};
extern ReducedPreview CurrentReduction;

extern uint32_t GdiPlusToken;

// Set once the main window has begun to go away (its Destroying event). Work
// that lets messages through (the batch job) checks it after every pause and
// stops, since the window's units are gone from then on.
extern bool MainWindowClosing;

}  // namespace app
