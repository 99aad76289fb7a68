// Constants the program carries: our skin library's DLL image, its skin
// resource and the tutorial page, each stored as a byte-set block {1, length, bytes} in read-only data
// (generated at build time from the built DLL and the resource file).
#pragma once
#include <cstdint>

extern "C" {
extern const uint8_t SkinLibraryImage[];
extern const uint8_t SkinResource[];
extern const uint8_t TutorialPage[];
}
