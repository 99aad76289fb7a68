// The two program-level variables the application layer shares.
#pragma once
#include <cstdint>

namespace app {

// The last composed picture: a complete PNG file image as a byte set, or null.
extern void* CurrentPicture;
// Replaces CurrentPicture, releasing the previous block.
void ReplaceCurrentPicture(void* picture);

extern uint32_t GdiPlusToken;

}  // namespace app
