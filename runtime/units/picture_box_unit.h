// The picture box ("图片框", class "_QX_PicBox"): one picture in one of three
// display modes over a background colour; animated GIF pictures play on a
// thread of their own that shares the display pixels through a busy flag.
#pragma once
#include <windows.h>
#include <cstdint>
#include <vector>
#include "runtime/units/picture_box_data.h"
#include "runtime/pictures/picture_decode.h"
#include "runtime/units/picture_render.h"
#include "runtime/units/unit_framework.h"

namespace imprinta::units {

class PicBoxUnit;

// Observers and the clock of the GIF player, for tests. tick replaces one
// 10 ms step of a frame's wait (the player polls for a stop request between
// steps); frameShown runs on the player thread after a frame reached the
// window; event reports 1 when the player has stopped and 2 when a picture
// has been loaded.
struct GifPlayerHooks {
    void* context = nullptr;
    void (*tick)(void* context) = nullptr;
    void (*frameShown)(void* context, const PicBoxUnit* box, uint32_t pass, uint32_t index, uint32_t delayMs,
                       const uint8_t* bgra, int width, int height) = nullptr;
    void (*event)(void* context, const PicBoxUnit* box, int what) = nullptr;
};
// Null restores the real clock and removes the observers.
void SetGifPlayerHooks(const GifPlayerHooks* hooks);

class PicBoxUnit : public Unit {
public:
    using Data = PicBoxData;
    PicBoxUnit() = default;
    ~PicBoxUnit() override;

    PropertyData& Properties() override { return data; }
    bool CreateControl(const CreateParams& p) override;
    bool SetProperty(int number, const PropertyValue& value, char** tip) override;
    bool GetProperty(int number, PropertyValue& value) override;
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

    bool animating() const { return thread_ != nullptr; }
    // Whether a picture is shown (decoded, or the first frame of a GIF).
    bool showsPicture() const { return !display_.empty(); }
    int pictureWidth() const { return display_.width; }
    int pictureHeight() const { return display_.height; }
    // Where the picture lands in the client area for the current display mode.
    RECT PictureRect() const;

    PicBoxData data;

private:
    enum PlayerState : LONG { kRunning = 0, kStopRequested = 1, kStopped = 2 };
    void LoadPicture();
    bool LoadAnimated();
    void StopAnimation();
    void Paint(HDC dc);
    void InvalidateChanged(const std::vector<uint8_t>& before, int width, int height);
    void DrawDisplay(HDC dc);
    const RenderedPicture& ShrunkDisplay(int width, int height);
    void AcquireBusy();
    void ReleaseBusy();
    bool WaitMilliseconds(uint32_t ms);  // false: stop requested
    static DWORD WINAPI PlayerMain(void* self);
    void Play();
    bool animationAllowed() const { return data.animate && !designMode; }

    RenderedPicture display_;  // the rendered picture or the animation canvas
    RenderedPicture scaled_;   // display_ resampled to the size it was last drawn at
    std::vector<uint8_t> spare_;  // the rows of the picture before, for the next one to reuse
    bool isGif_ = false;
    std::vector<uint8_t> gifData_;  // the player's own copy (the reader spans it)
    picture::GifReader reader_;
    picture::GifCompositor compositor_;
    HANDLE thread_ = nullptr;
    volatile LONG state_ = kStopped;
    volatile LONG busy_ = 0;
    volatile LONG displayMode_ = 0;  // copy the player reads
};

}  // namespace imprinta::units
