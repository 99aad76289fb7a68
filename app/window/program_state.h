// What the window's parts share: the picture shown, the output format chosen,
// and whether the window is going away.
#pragma once
#include <cstdint>
#include "app/poster/output_format.h"

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

// Set once the main window has begun to go away (its Destroying event). Work
// that lets messages through (the batch job) checks it after every pause and
// stops, since the window's units are gone from then on.
extern bool MainWindowClosing;

// The format the window's export and batches write in (loaded with the
// settings, chosen in the style dialog, saved with the other settings).
OutputFormat CurrentOutputFormat();
void SetCurrentOutputFormat(const OutputFormat& format);

}  // namespace app
