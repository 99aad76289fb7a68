// Benchmark (not a test): the two DrawTextOnPicture passes of one preview on a
// 1080 x 1920 PNG template. Writes the template next to itself for the
// ImageMagick comparison in scripts/bench-renderer.sh. Prints milliseconds.
#include <windows.h>
#include <algorithm>
#include <cstdio>
#include <vector>
#include "app/platform/dll_commands.h"
#include "app/render/renderer.h"
#include "app/platform/runtime_calls.h"
#include "picture_io.h"
#include "runtime/core/runtime_interface.h"

static ApplicationHeader header = {
    0, 0, 1, 0, nullptr, 0, nullptr, 0, 0, nullptr, kDllCommandCount, DllFileNames, DllFunctionNames,
};

static const char kTitle[] = "公众号标题：今日份的好心情";
static const char kBody[] = "第一行正文文字\r\n第二行正文文字，稍长一些\r\n第三行";

static double Milliseconds(LARGE_INTEGER a, LARGE_INTEGER b, LARGE_INTEGER f) {
    return 1000.0 * static_cast<double>(b.QuadPart - a.QuadPart) / static_cast<double>(f.QuadPart);
}

static int IMPRINTA_CDECL Run() {
    app::StartRuntime();
    uint32_t token = 0;
    alignas(4) static const uint8_t kStartupInput[16] = {1};
    app::Dll(kDllGdiplusStartup, {PtrWord(&token), PtrWord(kStartupInput), 0});

    // A photo-like template: smooth gradients with a little deterministic noise.
    Picture t = SolidPicture(1080, 1920, {0, 0, 0, 255});
    uint32_t seed = 12345;
    for (uint32_t y = 0; y < t.height; ++y)
        for (uint32_t x = 0; x < t.width; ++x) {
            seed = seed * 1103515245u + 12345u;
            uint8_t n = static_cast<uint8_t>((seed >> 16) & 7);
            t.at(x, y) = {static_cast<uint8_t>(x * 247 / 1080 + n), static_cast<uint8_t>(y * 255 / 1920),
                          static_cast<uint8_t>(160 + n), 255};
        }
    std::vector<uint8_t> png = EncodePng(t);
    if (FILE* f = fopen("bench-template.png", "wb")) {
        fwrite(png.data(), 1, png.size(), f);
        fclose(f);
    }
    void* input = ToByteSet(png);

    LARGE_INTEGER freq;
    QueryPerformanceFrequency(&freq);
    std::vector<double> runs;
    void* last = nullptr;
    for (int i = 0; i < 7; ++i) {
        LARGE_INTEGER a, b;
        QueryPerformanceCounter(&a);
        void* first = app::DrawTextOnPicture(input, "宋体", 72, 0x0000FF, 1, 255, 4, kTitle, 120, 120);
        void* second = app::DrawTextOnPicture(first, "宋体", 48, 0xFFFFFF, 1, 255, 4, kBody, 120, 400);
        QueryPerformanceCounter(&b);
        FreeMemory(first);
        FreeMemory(last);
        last = second;
        runs.push_back(Milliseconds(a, b, freq));
    }
    if (FILE* f = fopen("bench-preview.png", "wb")) {
        fwrite(ByteSetData(last), 1, ByteSetLength(last), f);
        fclose(f);
    }
    // Where one pass spends its time: decoding, and encoding the result.
    {
        LARGE_INTEGER a, b, c;
        QueryPerformanceCounter(&a);
        uint32_t bitmap = app::PictureFromBytes(input);
        QueryPerformanceCounter(&b);
        void* encoded = app::PictureToPng(bitmap);
        QueryPerformanceCounter(&c);
        printf("one pass: decode %.1f ms, PNG encode %.1f ms\n", Milliseconds(a, b, freq), Milliseconds(b, c, freq));
        FreeMemory(encoded);
        app::Dll(kDllGdipDisposeImage, {bitmap});
    }
    std::sort(runs.begin(), runs.end());
    printf("template: 1080 x 1920 PNG, %u bytes; result %u bytes\n", static_cast<unsigned>(png.size()),
           ByteSetLength(last));
    printf("DrawTextOnPicture x2 (one preview): median %.1f ms, best %.1f ms, worst %.1f ms over %u runs\n",
           runs[runs.size() / 2], runs.front(), runs.back(), static_cast<unsigned>(runs.size()));
    FreeMemory(last);
    FreeMemory(input);
    app::Dll(kDllGdiplusShutdown, {token});
    return 0;
}

int main() {
    header.libraries = app::ApplicationLibraries(&header.libraryCount);
    return RuntimeProcessEntry(&header, Run);
}
