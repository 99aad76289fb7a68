#include "runtime/units/picture_box_unit.h"

#include <cstring>
#include "runtime/pictures/picture_canvas.h"
#include "runtime/pictures/picture_scale.h"

namespace imprinta::units {

namespace {

GifPlayerHooks g_hooks;

void Report(const PicBoxUnit* box, int what) {
    if (g_hooks.event) g_hooks.event(g_hooks.context, box, what);
}

picture::Rgb RgbOf(COLORREF c) { return picture::Rgb{GetRValue(c), GetGValue(c), GetBValue(c)}; }

}  // namespace

void SetGifPlayerHooks(const GifPlayerHooks* hooks) { g_hooks = hooks ? *hooks : GifPlayerHooks{}; }

PicBoxUnit::~PicBoxUnit() { StopAnimation(); }

bool PicBoxUnit::CreateControl(const CreateParams& p) {
    displayMode_ = data.displayMode;
    if (!CreateOwnWindow("_QX_PicBox", CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS, 0, WS_CHILD | WS_CLIPSIBLINGS, nullptr,
                         p))
        return false;
    SetBackgroundColour(data.backColour);
    LoadPicture();
    ApplyBorder(hwnd, data.border);
    return true;
}

// --- the busy flag shared with the player ------------------------------------

void PicBoxUnit::AcquireBusy() {
    while (InterlockedCompareExchange(&busy_, 1, 0) != 0) Sleep(0);
}

void PicBoxUnit::ReleaseBusy() { InterlockedExchange(&busy_, 0); }

// --- loading ------------------------------------------------------------------

// A still picture that follows one of its size (a preview at each keystroke)
// is rendered into the memory of the one before, and only the part of the box
// in which the two differ is painted again. Rows larger than this are not kept.
constexpr size_t kSpareRowsLimit = size_t(16) << 20;

void PicBoxUnit::LoadPicture() {
    StopAnimation();
    const bool wasStill = !isGif_ && !display_.icon && !display_.empty();
    const int oldWidth = display_.width, oldHeight = display_.height;
    std::vector<uint8_t> before;
    before.swap(display_.bgra);
    display_.Reset();
    display_.bgra.swap(spare_);
    scaled_.Release();
    isGif_ = false;
    gifData_.clear();
    if (!data.picture.empty()) {
        auto format = picture::SniffPictureFormat(data.picture.bytes());
        if (format == picture::PictureFormat::Gif && animationAllowed()) {
            isGif_ = true;
            if (!LoadAnimated()) display_.Release();
        } else {
            // Undecodable data shows the background only; the bytes stay stored.
            DecodeAndRender(data.picture, ResolveColour(data.backColour), display_);
        }
    }
    Report(this, 2);
    const bool sameSize = display_.width == oldWidth && display_.height == oldHeight;
    if (wasStill && sameSize && !isGif_ && !display_.icon && display_.bgra.size() == before.size())
        InvalidateChanged(before, oldWidth, oldHeight);
    else if (hwnd)
        InvalidateRect(hwnd, nullptr, FALSE);
    if (before.size() <= kSpareRowsLimit) spare_ = std::move(before);
}

// Shown pixel for pixel, the changed pixels are the part to paint; a picture
// scaled for the box is painted whole.
void PicBoxUnit::InvalidateChanged(const std::vector<uint8_t>& before, int width, int height) {
    if (!hwnd) return;
    const RECT r = PictureRect();
    if (r.right - r.left != width || r.bottom - r.top != height) {
        InvalidateRect(hwnd, nullptr, FALSE);
        return;
    }
    const picture::PixelBounds b = picture::ChangedBounds(before.data(), display_.bgra.data(), width, height);
    if (b.Empty()) return;
    const RECT changed = {r.left + LONG(b.left), r.top + LONG(b.top), r.left + LONG(b.right), r.top + LONG(b.bottom)};
    InvalidateRect(hwnd, &changed, FALSE);
}

bool PicBoxUnit::LoadAnimated() {
    gifData_.assign(data.picture.data(), data.picture.data() + data.picture.size());
    if (!reader_.Open(gifData_)) return false;
    picture::Rgb fill = RgbOf(ResolveColour(data.backColour));
    if (!compositor_.Reset(reader_.ScreenWidth(), reader_.ScreenHeight(), fill)) return false;
    auto first = reader_.NextFrame();
    if (!first) return false;
    compositor_.Draw(*first);
    display_.width = static_cast<int>(compositor_.Width());
    display_.height = static_cast<int>(compositor_.Height());
    display_.bgra.resize(compositor_.Canvas().size());
    RgbaToBgra(compositor_.Canvas().data(), display_.bgra.size() / 4, display_.bgra.data());
    if (!reader_.MoreFramesFollow()) return true;  // one image: a still picture, no player
    // The player starts over from the first frame on a fresh canvas.
    reader_.Rewind();
    if (!compositor_.Reset(reader_.ScreenWidth(), reader_.ScreenHeight(), fill)) return true;
    state_ = kRunning;
    thread_ = CreateThread(nullptr, 0, &PicBoxUnit::PlayerMain, this, 0, nullptr);
    if (!thread_) state_ = kStopped;
    return true;
}

void PicBoxUnit::StopAnimation() {
    if (!thread_) return;
    InterlockedExchange(&state_, kStopRequested);
    while (InterlockedCompareExchange(&state_, kStopped, kStopped) != kStopped) Sleep(1);
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
    thread_ = nullptr;
    Report(this, 1);
}

// --- the player ---------------------------------------------------------------

DWORD WINAPI PicBoxUnit::PlayerMain(void* self) {
    static_cast<PicBoxUnit*>(self)->Play();
    return 0;
}

bool PicBoxUnit::WaitMilliseconds(uint32_t ms) {
    if (g_hooks.tick) {
        for (uint32_t waited = 0; waited < ms; waited += 10) {
            if (state_ != kRunning) return false;
            g_hooks.tick(g_hooks.context);
        }
        return state_ == kRunning;
    }
    DWORD start = GetTickCount();
    while (state_ == kRunning) {
        DWORD elapsed = GetTickCount() - start;
        if (elapsed >= ms) return true;
        DWORD step = ms - elapsed;
        Sleep(step < 10 ? step : 10);
    }
    return false;
}

void PicBoxUnit::Play() {
    uint32_t pass = reader_.Passes(), index = 0;
    while (state_ == kRunning) {
        auto frame = reader_.NextFrame();
        if (!frame) {
            // A bad block ends this pass; the reader starts over on the next call.
            if (!WaitMilliseconds(50)) break;
            continue;
        }
        if (reader_.Passes() != pass) {
            pass = reader_.Passes();
            index = 0;
        }
        AcquireBusy();
        compositor_.Draw(*frame);
        RgbaToBgra(compositor_.Canvas().data(), display_.bgra.size() / 4, display_.bgra.data());
        if (HDC dc = GetDC(hwnd)) {
            DrawDisplay(dc);
            ReleaseDC(hwnd, dc);
        }
        ReleaseBusy();
        uint32_t delay = frame->DelayMilliseconds();
        if (g_hooks.frameShown)
            g_hooks.frameShown(g_hooks.context, this, pass, index, delay, display_.bgra.data(), display_.width,
                               display_.height);
        ++index;
        if (!WaitMilliseconds(delay)) break;
    }
    InterlockedExchange(&state_, kStopped);
}

// --- painting -----------------------------------------------------------------

RECT PicBoxUnit::PictureRect() const {
    RECT client = {0, 0, 0, 0};
    if (hwnd) GetClientRect(hwnd, &client);
    RECT r = {0, 0, display_.width, display_.height};
    switch (displayMode_) {
    case kPicBoxStretched: r = client; break;
    case kPicBoxCentred: r = FitCentred(display_.width, display_.height, client); break;
    case kPicBoxFitted: {
        picture::FitPlace f = picture::FitWhole(display_.width, display_.height, client.right, client.bottom);
        r = {f.x, f.y, f.x + f.width, f.y + f.height};
        break;
    }
    default: break;
    }
    return r;
}

// A still picture shrunk for the box is resampled once per picture and size,
// not stretched at every paint: stretching a large picture is slow and, with
// a coarse filter, drops thin strokes.
const RenderedPicture& PicBoxUnit::ShrunkDisplay(int width, int height) {
    if (scaled_.width != width || scaled_.height != height) {
        scaled_.Release();
        scaled_.bgra = picture::ScaleBgra(display_.bgra.data(), display_.width, display_.height, width, height);
        if (!scaled_.bgra.empty()) scaled_.width = width, scaled_.height = height;
    }
    return scaled_;
}

// Caller holds the busy flag.
void PicBoxUnit::DrawDisplay(HDC dc) {
    if (display_.empty()) return;
    RECT r = PictureRect();
    const int w = r.right - r.left, h = r.bottom - r.top;
    // Icons scale themselves when drawn; rows are resampled once (see ShrunkDisplay),
    // and a fitted picture also when it is enlarged.
    const bool shrinks = w <= display_.width && h <= display_.height && (w < display_.width || h < display_.height);
    const bool scales = shrinks || (displayMode_ == kPicBoxFitted && (w != display_.width || h != display_.height));
    const bool resample = scales && !isGif_ && !display_.icon && w > 0 && h > 0;
    if (displayMode_ == kPicBoxOwnSize) DrawRenderedPicture(dc, display_, 0, 0);
    else if (resample && !ShrunkDisplay(w, h).empty()) DrawRenderedPicture(dc, scaled_, r.left, r.top);
    else DrawRenderedPicture(dc, display_, r.left, r.top, w, h);
}

void PicBoxUnit::Paint(HDC dc) {
    RECT client;
    GetClientRect(hwnd, &client);
    if (!display_.icon) {
        // Opaque rows and the background around them never overlap: drawn
        // straight, without a picture of the whole box made first.
        AcquireBusy();
        const RECT covered = display_.empty() ? RECT{} : PictureRect();
        FillAround(dc, client, covered, ResolveColour(data.backColour));
        DrawDisplay(dc);
        ReleaseBusy();
        return;
    }
    // An icon's transparent parts show the background: composed off screen so
    // the picture never flickers through it.
    int w = client.right > 0 ? client.right : 1, h = client.bottom > 0 ? client.bottom : 1;
    HDC mem = CreateCompatibleDC(dc);
    HBITMAP bmp = CreateCompatibleBitmap(dc, w, h);
    HGDIOBJ old = SelectObject(mem, bmp);
    FillRect(mem, &client, BackgroundBrush());
    AcquireBusy();
    DrawDisplay(mem);
    ReleaseBusy();
    BitBlt(dc, 0, 0, w, h, mem, 0, 0, SRCCOPY);
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
}

LRESULT PicBoxUnit::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        if (dc) Paint(dc);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_DESTROY:
        StopAnimation();
        break;
    default:
        break;
    }
    return Unit::WindowProc(msg, wp, lp);
}

// --- properties -----------------------------------------------------------------

bool PicBoxUnit::SetProperty(int number, const PropertyValue& v, char**) {
    switch (number) {
    case kPicBoxBorder:
        if (StoreChoice(data.border, v.integer, 5) && hwnd) ApplyBorder(hwnd, data.border);
        return false;
    case kPicBoxBackColor:
        data.backColour = v.colour;
        SetBackgroundColour(v.colour);
        // PNG transparency was blended with the old colour.
        if (!animating()) LoadPicture();
        if (hwnd) InvalidateRect(hwnd, nullptr, FALSE);
        return false;
    case kPicBoxPicture:
        StoreBytes(data.picture, v);
        LoadPicture();
        return false;
    case kPicBoxDisplayMode: {
        if (!StoreChoice(data.displayMode, v.integer, kPicBoxLastDisplayMode)) return false;
        AcquireBusy();
        displayMode_ = data.displayMode;
        ReleaseBusy();
        if (hwnd) {
            InvalidateRect(hwnd, nullptr, FALSE);
            UpdateWindow(hwnd);
        }
        return false;
    }
    case kPicBoxAnimate: {
        bool on = v.logical != 0;
        data.animate = on;
        if (!designMode && picture::SniffPictureFormat(data.picture.bytes()) == picture::PictureFormat::Gif)
            LoadPicture();
        return false;
    }
    case kPicBoxDataSource:
        data.dataSource = TextOf(v);
        return false;
    case kPicBoxDataColumn:
        data.dataColumn = TextOf(v);
        return false;
    default:
        return false;
    }
}

bool PicBoxUnit::GetProperty(int number, PropertyValue& v) {
    v.words.low = v.words.high = 0;
    switch (number) {
    case kPicBoxBorder: v.integer = data.border; return true;
    case kPicBoxBackColor: v.colour = data.backColour; return true;
    case kPicBoxPicture:
        LendBytes(v, data.picture);
        return true;
    case kPicBoxDisplayMode: v.integer = data.displayMode; return true;
    case kPicBoxAnimate: v.logical = data.animate ? 1 : 0; return true;
    case kPicBoxDataSource: v.text = data.dataSource.c_str(); return true;
    case kPicBoxDataColumn: v.text = data.dataColumn.c_str(); return true;
    default: return false;
    }
}

}  // namespace imprinta::units

IMPRINTA_UNIT_ENTRY_LOOKUP(PicBoxEntryLookup, imprinta::units::PicBoxUnit)
