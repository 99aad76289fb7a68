#include "app/render/gdiplus.h"
#include <windows.h>
#include <objidl.h>
#include <cstring>
#include <vector>
#include <new>
#include "app/platform/runtime_calls.h"
#include "app/render/bundled_fonts.h"
#include "app/poster/text_limits.h"
#include "runtime/core/blocks.h"

namespace app {

namespace {

// {557CF406-1A04-11D3-9A73-0000F81EF32E}: the GDI+ built-in PNG encoder.
alignas(4) const uint8_t kPngEncoder[16] = {0x06, 0xF4, 0x7C, 0x55, 0x04, 0x1A, 0xD3, 0x11,
                                            0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E};
constexpr uint32_t kMoveableMemory = 2;  // GMEM_MOVEABLE
constexpr uint32_t kAnsiCodePage = 0;    // CP_ACP

uint32_t Word(int32_t v) { return static_cast<uint32_t>(v); }
template <typename T>
T* At(uint32_t address) {
    return reinterpret_cast<T*>(static_cast<uintptr_t>(address));
}

void ReleaseStream(uint32_t stream) {
    if (stream) At<IStream>(stream)->Release();
}

// Bytes written into a memory stream: its block is often larger than the data.
uint32_t StreamDataSize(uint32_t stream, uint32_t blockSize) {
    // The block is made larger up front: what was written ends at the stream's position.
    LARGE_INTEGER zero = {};
    ULARGE_INTEGER position = {};
    if (FAILED(At<IStream>(stream)->Seek(zero, STREAM_SEEK_CUR, &position))) return 0;
    return position.QuadPart < blockSize ? static_cast<uint32_t>(position.QuadPart) : blockSize;
}

// A first size for the encoder's stream, so that it does not grow the block
// write by write: the raw pixel size (compressed output rarely exceeds it).
uint32_t PresizeFor(uint32_t image) {
    uint64_t bytes = static_cast<uint64_t>(gdiplus::ImageWidth(image)) * gdiplus::ImageHeight(image) * 4 + 4096;
    return bytes > 0x10000000u ? 0x10000000u : static_cast<uint32_t>(bytes);
}

// CR LF and LF break a line alike in GDI+, but some GDI+ versions draw the CR
// of a pair as a missing-glyph box and lay out an empty line as no line at all.
// The text goes in with LF breaks only and a space on each empty line, which
// draws nothing and keeps the blank line.
void* PrepareLineBreaks(void* wide) {
    const auto* text = reinterpret_cast<const uint16_t*>(ByteSetData(wide));
    uint32_t n = ByteSetLength(wide) / 2;
    std::vector<uint16_t> out;
    out.reserve(n + 16);
    for (uint32_t i = 0; i < n; ++i) {
        if (text[i] == '\r' && i + 1 < n && text[i + 1] == '\n') continue;
        bool lineStart = out.empty() || out.back() == '\n';
        if (text[i] == '\n' && lineStart) out.push_back(' ');
        out.push_back(text[i]);
    }
    Free(wide);
    return imprinta::MakeByteSet(out.data(), static_cast<uint32_t>(out.size() * 2));
}

}  // namespace

// ---- GDI+ steps -------------------------------------------------------------

namespace gdiplus {

uint32_t ImageWidth(uint32_t image) {
    uint32_t value = 0;
    Dll(kDllGdipGetImageWidth, {image, PtrWord(&value)});
    return value;
}

uint32_t ImageHeight(uint32_t image) {
    uint32_t value = 0;
    Dll(kDllGdipGetImageHeight, {image, PtrWord(&value)});
    return value;
}

uint32_t NewBitmap(uint32_t width, uint32_t height) {
    uint32_t bitmap = 0;
    Dll(kDllGdipCreateBitmapFromScan0, {width, height, 0, kPixelFormat32bppArgb, 0, PtrWord(&bitmap)});
    return bitmap;
}

uint32_t BitmapOver(uint8_t* bgra, uint32_t width, uint32_t height) {
    uint32_t bitmap = 0;
    Dll(kDllGdipCreateBitmapFromScan0, {width, height, width * 4, kPixelFormat32bppArgb, PtrWord(bgra), PtrWord(&bitmap)});
    return bitmap;
}

uint32_t GraphicsOf(uint32_t bitmap) {
    uint32_t graphics = 0;
    Dll(kDllGdipGetImageGraphicsContext, {bitmap, PtrWord(&graphics)});
    return graphics;
}

void DrawImage(uint32_t graphics, uint32_t image, float dx, float dy, float dw, float dh, float sw, float sh) {
    Dll(kDllGdipDrawImageRectRect,
        {graphics, image, FloatWord(dx), FloatWord(dy), FloatWord(dw), FloatWord(dh), FloatWord(0.0f),
         FloatWord(0.0f), FloatWord(sw), FloatWord(sh), Word(kUnitPixel), 0, 0, 0});
}

void DeleteGraphics(uint32_t graphics) { Dll(kDllGdipDeleteGraphics, {graphics}); }
void DisposeImage(uint32_t image) { Dll(kDllGdipDisposeImage, {image}); }

void DrawStyledText(uint32_t graphics, const TextStyle& s, const char* text, int32_t x, int32_t y,
                    uint32_t pictureWidth, uint32_t pictureHeight) {
    const TextPlacement p = ClampPlacement({s.size, x, y}, pictureWidth, pictureHeight);
    // Failed steps leave 0 handles; the GDI+ calls that get them fail without effect.
    void* layout = BlankBytes(16);  // x, y, width, height as floats; a zero size never wraps
    uint32_t font = CreateTextFont(s.fontName, static_cast<float>(p.size), s.style, kUnitPixel);
    uint32_t brush = CreateTextBrush(s.colour, s.alpha);
    if (s.hint != kNoTextRenderingHint) Dll(kDllGdipSetTextRenderingHint, {graphics, Word(s.hint)});
    float* rect = reinterpret_cast<float*>(ByteSetData(layout));
    rect[0] = static_cast<float>(p.x);
    rect[1] = static_cast<float>(p.y);
    void* wide = PrepareLineBreaks(TextToUtf16(text));
    Dll(kDllGdipDrawString, {graphics, PtrWord(ByteSetData(wide)), Word(-1), font, PtrWord(rect), 0, brush});
    Free(wide);
    Dll(kDllGdipDeleteBrush, {brush});
    Dll(kDllGdipDeleteFont, {font});
    Free(layout);
}

}  // namespace gdiplus

// ---- font family ----------------------------------------------------------

FontFamily::~FontFamily() { Release(); }

FontFamily* FontFamily::Copy() const {
    // GDI+ families are not reference counted: the copy borrows the handle and
    // leaves its deletion to this object.
    auto* copy = new FontFamily;
    copy->handle_ = handle_;
    copy->owned_ = false;
    return copy;
}

void FontFamily::Release() {
    if (handle_ != 0 && owned_) Dll(kDllGdipDeleteFontFamily, {handle_});
    handle_ = 0;
    owned_ = true;
}

int32_t FontFamily::CreateFromName(const char* name) {
    // The program's own font wins over an installed one of the same name: a
    // poster then looks the same on every PC.
    if (uint32_t bundled = BundledFontFamily(name)) {
        SetHandle(bundled);
        return 0;
    }
    void* wide = TextToUtf16(name);
    uint32_t family = 0;
    int32_t status = static_cast<int32_t>(
        Dll32(kDllGdipCreateFontFamilyFromName, {PtrWord(ByteSetData(wide)), 0, PtrWord(&family)}));
    Free(wide);
    SetHandle(status == 0 ? family : 0);
    return status;
}

uint32_t FontFamily::Handle() const { return handle_; }

void FontFamily::SetHandle(uint32_t handle) {
    Release();
    handle_ = handle;
}

// ---- conversions ----------------------------------------------------------

uint32_t ColorToArgb(uint32_t colour, int32_t alpha, bool alphaGiven) {
    if (!alphaGiven) alpha = 255;
    // Memory order red, green, blue, top byte: swap red and blue, alpha on top.
    void* bytes = ToBytes(static_cast<int32_t>(colour));
    uint8_t* b = ByteSetData(bytes);
    uint8_t red = b[0];
    b[0] = b[2];
    b[2] = red;
    b[3] = static_cast<uint8_t>(alpha);
    uint32_t argb = static_cast<uint32_t>(BytesGetInteger(bytes));
    Free(bytes);
    return argb;
}

void* TextToUtf16(const char* text) {
    wchar_t probe = 0;
    int32_t n = static_cast<int32_t>(Dll32(kDllMultiByteToWideChar,
                                           {kAnsiCodePage, 0, PtrWord(text), Word(-1), PtrWord(&probe), 0}));
    if (n <= 0) return nullptr;
    void* wide = BlankBytes(2 * n);
    Dll(kDllMultiByteToWideChar,
        {kAnsiCodePage, 0, PtrWord(text), Word(-1), PtrWord(ByteSetData(wide)), Word(n)});
    return wide;
}

// ---- GDI+ objects ---------------------------------------------------------

uint32_t CreateTextFont(const char* familyName, float size, int32_t style, int32_t unit) {
    // A size of 0 or less makes no font: some GDI+ versions would fall back to
    // the system font's default height instead of refusing it.
    if (!(size > 0.0f)) return 0;
    FontFamily family;
    family.CreateFromName(familyName);
    uint32_t font = 0;
    uint32_t status =
        Dll32(kDllGdipCreateFont, {family.Handle(), FloatWord(size), Word(style), Word(unit), PtrWord(&font)});
    return status == 0 ? font : 0;
}

uint32_t CreateTextBrush(uint32_t colour, int32_t alpha) {
    uint32_t argb = ColorToArgb(colour, alpha, true);
    uint32_t brush = 0;
    return Dll32(kDllGdipCreateSolidFill, {argb, PtrWord(&brush)}) == 0 ? brush : 0;
}

uint32_t PictureFromBytes(const void* bytes) {
    uint32_t n = BytesLength(bytes);
    uint32_t block = Dll32(kDllGlobalAlloc, {kMoveableMemory, n});
    if (!block) return 0;
    uint32_t stream = 0;
    if (Dll32(kDllCreateStreamOnHGlobal, {block, 1, PtrWord(&stream)}) != 0 || !stream) {
        Dll(kDllGlobalFree, {block});
        return 0;
    }
    uint32_t p = Dll32(kDllGlobalLock, {block});
    if (!p) {
        // Empty input lands here (a block of size 0 cannot be locked). The stream
        // owns the block now: releasing it frees both.
        ReleaseStream(stream);
        return 0;
    }
    memcpy(At<void>(p), ByteSetData(bytes), n);
    Dll(kDllGlobalUnlock, {block});
    uint32_t bitmap = 0;
    Dll(kDllGdipCreateBitmapFromStream, {stream, PtrWord(&bitmap)});
    ReleaseStream(stream);  // the bitmap keeps its own reference
    return bitmap;
}

void* PictureToPng(uint32_t image) {
    uint32_t stream = 0;
    uint32_t presized = Dll32(kDllGlobalAlloc, {kMoveableMemory, PresizeFor(image)});
    if (Dll32(kDllCreateStreamOnHGlobal, {presized, 0, PtrWord(&stream)}) != 0 || !stream) {
        if (presized) Dll(kDllGlobalFree, {presized});
        return nullptr;
    }
    uint32_t status = Dll32(kDllGdipSaveImageToStream, {image, stream, PtrWord(kPngEncoder), 0});
    // The stream does not delete its block on release: free it on every path.
    uint32_t block = 0;
    Dll(kDllGetHGlobalFromStream, {stream, PtrWord(&block)});
    void* result = nullptr;
    if (status == 0 && block) {
        uint32_t p = Dll32(kDllGlobalLock, {block});
        uint32_t n = Dll32(kDllGlobalSize, {block});
        if (p) result = PointerToBytes(At<void>(p), static_cast<int32_t>(StreamDataSize(stream, n)));
        Dll(kDllGlobalUnlock, {block});
    }
    ReleaseStream(stream);
    if (block) Dll(kDllGlobalFree, {block});
    return result;
}

}  // namespace app
