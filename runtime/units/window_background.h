// The window's background picture: decoded once for the screen, drawn in one
// of four modes over the background colour.
#pragma once
#include <windows.h>
#include <cstdint>
#include "runtime/base/byte_buffer.h"
#include "runtime/units/picture_render.h"

namespace imprinta::units {

class WindowBackground {
public:
    // Forgets the decoded picture (the picture data or colour changed).
    void Drop();
    // Paints clip (client coordinates) of a client area of the given size.
    void Paint(HDC dc, const RECT& clip, int clientWidth, int clientHeight, const ByteBuffer& picture, int mode,
               uint32_t colour);
    // Whether the picture data decoded (after a Paint or Decode).
    bool Decode(const ByteBuffer& picture, uint32_t colour);
    int width() const { return picture_.width; }
    int height() const { return picture_.height; }

    // Where kBackgroundCentred puts a picture of pw x ph in a client area of cw x ch: centred,
    // shrunk keeping the aspect ratio when it is larger.
    static RECT CentredRect(int pw, int ph, int cw, int ch);

private:
    RenderedPicture picture_;
    bool tried_ = false;
};

}  // namespace imprinta::units
