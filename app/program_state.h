// The two program-level variables the application layer shares.
#pragma once
#include <cstdint>
#include "app/text_style.h"

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

// How the title and the body are set beyond their units (the style dialog and
// pz.ini keep them); the defaults draw plain text.
extern TextEffects TitleEffects, BodyEffects;

// Set once the main window has begun to go away (its Destroying event). Work
// that lets messages through (the batch job) checks it after every pause and
// stops, since the window's units are gone from then on.
extern bool MainWindowClosing;

}  // namespace app
