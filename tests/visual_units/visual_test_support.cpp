#include "visual_test_support.h"

#include <gtest/gtest.h>
#include <cstring>
#include "runtime/entry/runtime_layers.h"
#include "runtime/core/libraries.h"
#include "runtime/core/runtime_state.h"
#include "runtime/forms/forms_api.h"
#include "runtime/units/window_properties.h"

IMPRINTA_DEFINE_CODE_BASE(VISUAL_TEST_HANDLERS)

extern "C" {
void __cdecl Return7(EventResultSlot* r, uint32_t a, uint32_t b) {
    vistest::Calls().push_back({kHandler_Return7, {a, b}});
    r->hasResult = 1;
    r->value = 7;
}
void __cdecl OnPanelPaint(EventResultSlot*, uint32_t l, uint32_t t, uint32_t rr, uint32_t b) {
    vistest::Calls().push_back({kHandler_OnPanelPaint, {l, t, rr, b}});
}
}

namespace vistest {

std::vector<HandlerCall>& Calls() {
    static std::vector<HandlerCall> calls;
    return calls;
}

namespace {

LibraryInfo TypeLibrary(uint32_t count, const TypeDescriptor* types) {
    LibraryInfo info{};
    info.signature = kLibrarySignature;
    info.typeCount = count;
    info.types = types;
    return info;
}

LibraryInfo g_core, g_empty, g_extended;
const LibraryInfo* g_libraries[4];
ApplicationHeader g_header;
uint32_t g_nextFormId = 0x52010100;

}  // namespace

void StartTestRuntime() {
    static bool started = false;
    if (started) return;
    started = true;
    g_core = TypeLibrary(kCoreLibraryTypeCount, CoreLibraryTypes);
    g_empty = TypeLibrary(0, nullptr);
    g_extended = TypeLibrary(kExtendedInterfaceTypeCount, ExtendedInterfaceTypes);
    g_libraries[0] = &g_core;
    g_libraries[1] = &g_empty;
    g_libraries[2] = &g_empty;
    g_libraries[3] = &g_extended;
    g_header = {};
    g_header.codeBase = reinterpret_cast<uintptr_t>(ImprintaCodeBase);
    g_header.libraryCount = 4;
    g_header.libraries = g_libraries;
    imprinta::TheRuntime().header = &g_header;
    imprinta::InstallRuntimeLayers();
    imprinta::StartRuntime();
}

std::vector<uint8_t> Block(PropertyData& data) {
    std::vector<uint8_t> out;
    EXPECT_TRUE(SavePropertyData(data, out));
    return out;
}

void Pump(DWORD ms) {
    DWORD start = GetTickCount();
    MSG msg;
    do {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (imprinta::forms::PreTranslate(msg)) continue;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(5);
    } while (GetTickCount() - start < ms);
}

TestWindow::TestWindow(int width, int height, const std::vector<UnitSpec>& units, uint32_t backColour,
                       const char* caption) {
    StartTestRuntime();
    namespace forms = imprinta::forms;
    WindowProperties p;
    p.caption = caption;
    p.borderStyle = 2;
    p.startPosition = 0;
    p.backColor = backColour;
    forms::WindowDescription w;
    w.id = formId = g_nextFormId++;
    forms::UnitDescription self;
    self.id = forms::kWindowRecordId;
    self.type = kWindowType;
    self.name = "窗口";
    self.left = 10;
    self.top = 10;
    // Outer size: leave room for the caption and the frame.
    self.width = width + 2 * GetSystemMetrics(SM_CXFIXEDFRAME);
    self.height = height + GetSystemMetrics(SM_CYCAPTION) + 2 * GetSystemMetrics(SM_CYFIXEDFRAME);
    self.flags = forms::kUnitVisible;
    self.block = Block(p);
    for (const UnitSpec& u : units) self.children.push_back(u.id);
    w.units.push_back(self);
    for (const UnitSpec& u : units) {
        forms::UnitDescription d;
        d.id = u.id;
        d.type = u.type;
        d.name = "unit" + std::to_string(u.id & 0xFF);
        d.left = u.x;
        d.top = u.y;
        d.width = u.w;
        d.height = u.h;
        d.flags = u.flags;
        d.bindings = u.bindings;
        d.block = u.block;
        w.units.push_back(d);
    }
    auto bytes = forms::WriteTemplateCollection({w});
    if (!forms::ReadTemplateCollection(bytes.data(), static_cast<uint32_t>(bytes.size()),
                                       reinterpret_cast<uintptr_t>(ImprintaCodeBase)))
        return;
    if (!forms::CreateRegisteredWindow(formId, nullptr, false)) return;
    auto list = forms::UnitsOfWindow(formId);
    if (list.empty() || !list[0].object) return;
    hwnd = static_cast<Unit*>(list[0].object)->hwnd;
    ShowWindow(hwnd, SW_SHOWNORMAL);
    UpdateWindow(hwnd);
    Pump(80);
}

TestWindow::~TestWindow() {
    if (hwnd && IsWindow(hwnd)) DestroyWindow(hwnd);
    Pump(20);
}

Unit* TestWindow::unit(uint32_t id) const {
    for (const auto& info : imprinta::forms::UnitsOfWindow(formId))
        if (info.id == id) return static_cast<Unit*>(info.object);
    return nullptr;
}

HWND TestWindow::control(uint32_t id) const {
    Unit* u = unit(id);
    return u ? u->hwnd : nullptr;
}

void TestWindow::Set(uint32_t id, int property, uint32_t low, uint32_t high) {
    imprinta::forms::SetProperty(formId, id, property, low, high);
}

void TestWindow::SetBytes(uint32_t id, int property, const std::vector<uint8_t>& bytes) {
    // Byte sets travel as {1, length, bytes}.
    std::vector<uint8_t> block(8 + bytes.size());
    uint32_t head[2] = {1, static_cast<uint32_t>(bytes.size())};
    std::memcpy(block.data(), head, 8);
    if (!bytes.empty()) std::memcpy(block.data() + 8, bytes.data(), bytes.size());
    Set(id, property, static_cast<uint32_t>(reinterpret_cast<uintptr_t>(block.data())));
}

uint64_t TestWindow::Get(uint32_t id, int property) { return imprinta::forms::GetProperty(formId, id, property); }

COLORREF TestWindow::Pixel(int x, int y) const {
    HDC dc = GetDCEx(hwnd, nullptr, DCX_CACHE);
    COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(hwnd, dc);
    return c;
}

COLORREF TestWindow::UnitPixel(uint32_t id, int x, int y) const {
    HWND h = control(id);
    POINT pt = {x, y};
    MapWindowPoints(h, hwnd, &pt, 1);
    return Pixel(pt.x, pt.y);
}

// --- picture writers ------------------------------------------------------------

namespace {

uint32_t Crc32(const uint8_t* p, size_t n, uint32_t crc = 0) {
    crc = ~crc;
    for (size_t i = 0; i < n; ++i) {
        crc ^= p[i];
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

void Be32(std::vector<uint8_t>& out, uint32_t v) {
    for (int s = 24; s >= 0; s -= 8) out.push_back(uint8_t(v >> s));
}

void Chunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& body) {
    Be32(out, static_cast<uint32_t>(body.size()));
    std::vector<uint8_t> typed(type, type + 4);
    typed.insert(typed.end(), body.begin(), body.end());
    out.insert(out.end(), typed.begin(), typed.end());
    Be32(out, Crc32(typed.data(), typed.size()));
}

}  // namespace

std::vector<uint8_t> MakePng(int width, int height, const std::vector<uint32_t>& rgba) {
    std::vector<uint8_t> raw;
    for (int y = 0; y < height; ++y) {
        raw.push_back(0);  // filter: none
        for (int x = 0; x < width; ++x) {
            uint32_t p = rgba[size_t(y) * width + x];
            raw.push_back(uint8_t(p));
            raw.push_back(uint8_t(p >> 8));
            raw.push_back(uint8_t(p >> 16));
            raw.push_back(uint8_t(p >> 24));
        }
    }
    // zlib stream of stored blocks.
    std::vector<uint8_t> z = {0x78, 0x01};
    size_t pos = 0;
    do {
        size_t n = std::min<size_t>(65535, raw.size() - pos);
        z.push_back(pos + n == raw.size() ? 1 : 0);
        z.push_back(uint8_t(n));
        z.push_back(uint8_t(n >> 8));
        z.push_back(uint8_t(~n));
        z.push_back(uint8_t(~n >> 8));
        z.insert(z.end(), raw.begin() + pos, raw.begin() + pos + n);
        pos += n;
    } while (pos < raw.size());
    uint32_t a = 1, b = 0;
    for (uint8_t c : raw) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    Be32(z, (b << 16) | a);
    std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    std::vector<uint8_t> ihdr;
    Be32(ihdr, width);
    Be32(ihdr, height);
    ihdr.insert(ihdr.end(), {8, 6, 0, 0, 0});
    Chunk(out, "IHDR", ihdr);
    Chunk(out, "IDAT", z);
    Chunk(out, "IEND", {});
    return out;
}

std::vector<uint8_t> SolidPng(int width, int height, uint32_t rgba) {
    return MakePng(width, height, std::vector<uint32_t>(size_t(width) * height, rgba));
}

std::vector<uint8_t> MakeGif(int width, int height, const std::vector<uint32_t>& palette,
                             const std::vector<GifFrameSpec>& frames) {
    std::vector<uint8_t> out = {'G', 'I', 'F', '8', '9', 'a'};
    auto le16 = [&](int v) {
        out.push_back(uint8_t(v));
        out.push_back(uint8_t(v >> 8));
    };
    le16(width);
    le16(height);
    out.push_back(0xF7);  // global table of 256 entries
    out.push_back(0);
    out.push_back(0);
    for (int i = 0; i < 256; ++i) {
        uint32_t c = i < int(palette.size()) ? palette[i] : 0;
        out.push_back(uint8_t(c));
        out.push_back(uint8_t(c >> 8));
        out.push_back(uint8_t(c >> 16));
    }
    for (const GifFrameSpec& f : frames) {
        out.insert(out.end(), {0x21, 0xF9, 4, uint8_t((f.disposal & 7) << 2)});
        le16(f.delayCentiseconds);
        out.push_back(0);
        out.push_back(0);
        out.push_back(',');
        le16(0);
        le16(0);
        le16(width);
        le16(height);
        out.push_back(0);
        out.push_back(8);  // minimum code size
        // 9-bit codes, a clear code every 200 pixels so the width never grows.
        std::vector<uint8_t> bytes;
        uint32_t acc = 0;
        int bits = 0;
        auto put = [&](uint32_t code) {
            acc |= code << bits;
            bits += 9;
            while (bits >= 8) {
                bytes.push_back(uint8_t(acc));
                acc >>= 8;
                bits -= 8;
            }
        };
        int total = width * height;
        for (int i = 0; i < total; ++i) {
            if (i % 200 == 0) put(256);
            put(f.colourIndex);
        }
        put(257);
        if (bits > 0) bytes.push_back(uint8_t(acc));
        for (size_t p = 0; p < bytes.size(); p += 255) {
            size_t n = std::min<size_t>(255, bytes.size() - p);
            out.push_back(uint8_t(n));
            out.insert(out.end(), bytes.begin() + p, bytes.begin() + p + n);
        }
        out.push_back(0);
    }
    out.push_back(';');
    return out;
}

}  // namespace vistest
