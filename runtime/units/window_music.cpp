// Background music through the wave player.
#include "runtime/units/window_music.h"

#include <windows.h>
#include <mmsystem.h>
#include <cstring>
#include "runtime/units/window_numbers.h"
#include "runtime/units/window_unit.h"

namespace imprinta::units {

namespace {

bool IsWaveData(const ByteBuffer& b) {
    return b.size() >= 12 && std::memcmp(b.data(), "RIFF", 4) == 0 && std::memcmp(b.data() + 8, "WAVE", 4) == 0;
}

}  // namespace

void WindowMusic::Start(const ByteBuffer& sound, int playCount) {
    if (playCount == kWindowPlayNever || !IsWaveData(sound)) return;
    DWORD flags = SND_MEMORY | SND_ASYNC | SND_NODEFAULT | (playCount == kWindowPlayLoop ? SND_LOOP : 0);
    playing_ = PlaySoundA(reinterpret_cast<LPCSTR>(sound.data()), nullptr, flags) != FALSE;
}

void WindowMusic::Stop() {
    if (!playing_) return;
    // The player reads the data in place: stop it before the data changes.
    PlaySoundA(nullptr, nullptr, 0);
    playing_ = false;
}

// Only a live window at run time plays its music.
void WindowUnit::StartMusic() {
    if (designMode || !hwnd) return;
    music_.Start(props_.backMusic, props_.playCount);
}

void WindowUnit::StopMusic() { music_.Stop(); }

}  // namespace imprinta::units
