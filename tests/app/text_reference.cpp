// Draws texts onto a template through the renderer itself, one text per output
// file, so a test can compare the program's composed picture with each text
// drawn alone. Arguments: template, then groups of
//   output font size colour x y text
// (decimal numbers; colour as 0x00BBGGRR). Exit code 0 when every file was written.
#include <cstdlib>
#include <string>
#include "app/platform/dll_commands.h"
#include "app/render/renderer.h"
#include "app/platform/runtime_calls.h"
#include "runtime/core/runtime_interface.h"

namespace {

enum Field { kOutput, kFont, kSize, kColour, kX, kY, kText, kFieldCount };
enum Exit { kDone = 0, kUsage = 2, kNoGdiPlus = 3, kNoTemplate = 4, kNoPicture = 5 };

int g_argc = 0;
char** g_argv = nullptr;

ApplicationHeader header = {
    0, 0, 1, 0, nullptr, 0, nullptr, 0, 0, nullptr, kDllCommandCount, DllFileNames, DllFunctionNames,
};

int32_t Number(const char* text) { return static_cast<int32_t>(std::strtoll(text, nullptr, 0)); }

int DrawAll() {
    void* picture = app::ReadFileBytes(g_argv[1]);
    if (!picture) return kNoTemplate;
    for (int i = 2; i + kFieldCount <= g_argc; i += kFieldCount) {
        char** f = g_argv + i;
        void* out = app::DrawTextOnPicture(picture, f[kFont], Number(f[kSize]), static_cast<uint32_t>(Number(f[kColour])),
                                           app::kFontStyleBold, 255, app::kTextRenderingHintAntiAlias, f[kText],
                                           Number(f[kX]), Number(f[kY]));
        bool written = out && app::WriteBytesToFile(f[kOutput], out);
        app::Free(out);
        if (!written) {
            app::Free(picture);
            return kNoPicture;
        }
    }
    app::Free(picture);
    return kDone;
}

int IMPRINTA_CDECL Start() {
    app::StartRuntime();
    uint32_t token = 0;
    alignas(4) static const uint8_t kStartupInput[16] = {1};
    if (app::Dll32(kDllGdiplusStartup, {PtrWord(&token), PtrWord(kStartupInput), 0}) != 0) return kNoGdiPlus;
    int result = DrawAll();
    app::Dll(kDllGdiplusShutdown, {token});
    return result;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 + kFieldCount || (argc - 2) % kFieldCount != 0) return kUsage;
    g_argc = argc;
    g_argv = argv;
    header.libraries = app::ApplicationLibraries(&header.libraryCount);
    return RuntimeProcessEntry(&header, Start);
}
