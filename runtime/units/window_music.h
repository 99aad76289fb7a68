// The window's background music. Separate because the player reads the sound
// data in place: whoever changes that data must stop the player first.
#pragma once
#include "runtime/base/byte_buffer.h"

namespace imprinta::units {

class WindowMusic {
public:
    WindowMusic() = default;
    ~WindowMusic() { Stop(); }
    WindowMusic(const WindowMusic&) = delete;
    WindowMusic& operator=(const WindowMusic&) = delete;

    // Plays wave data with a play count of kWindowPlayLoop or kWindowPlayOnce;
    // MIDI and other sound data are kept with the window but not played.
    void Start(const ByteBuffer& sound, int playCount);
    void Stop();
    bool playing() const { return playing_; }

private:
    bool playing_ = false;
};

}  // namespace imprinta::units
