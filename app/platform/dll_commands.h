// The application's DLL commands: one table of DLL file names and exported
// function names, numbered from 0. The Runtime resolves a command on its first
// call (CallDllCommand) and caches it; application code names commands only by
// these numbers. The DLL names keep the spellings the program was written with:
// several spellings of one DLL resolve to the same module.
#pragma once
#include <cstdint>

// X(enum suffix, DLL file name, function name), in command order.
#define IMPRINTA_DLL_COMMANDS(X)                                                   \
    /* start-up and shutdown: GDI+ and the skin library */                         \
    X(GdiplusStartup, "gdiplus.dll", "GdiplusStartup")                             \
    X(GdiplusShutdown, "gdiplus.dll", "GdiplusShutdown")                           \
    X(SkinAttachRes, "SkinH_QX.dll", "SkinH_AttachRes")                            \
    /* renderer: GDI+ flat functions, memory blocks and streams, text */           \
    X(GdipCreateBitmapFromScan0, "GdiPlus.dll", "GdipCreateBitmapFromScan0")       \
    X(GdipGetImageGraphicsContext, "GdiPlus.dll", "GdipGetImageGraphicsContext")   \
    X(GdipSetTextRenderingHint, "GdiPlus.dll", "GdipSetTextRenderingHint")         \
    X(GdipDrawImageRectRect, "gdiplus", "GdipDrawImageRectRect")                   \
    X(GdipDisposeImage, "gdiplus.dll", "GdipDisposeImage")                         \
    X(GdipDrawString, "gdiplus", "GdipDrawString")                                 \
    X(GdipDeleteGraphics, "gdiplus", "GdipDeleteGraphics")                         \
    X(GlobalAlloc, "kernel32", "GlobalAlloc")                                      \
    X(CreateStreamOnHGlobal, "ole32.dll", "CreateStreamOnHGlobal")                 \
    X(GlobalLock, "kernel32", "GlobalLock")                                        \
    X(GlobalUnlock, "kernel32.dll", "GlobalUnlock")                                \
    X(GdipCreateBitmapFromStream, "gdiplus.dll", "GdipCreateBitmapFromStream")     \
    X(GlobalFree, "kernel32.dll", "GlobalFree")                                    \
    X(GdipGetImageWidth, "gdiplus.dll", "GdipGetImageWidth")                       \
    X(GdipGetImageHeight, "gdiplus.dll", "GdipGetImageHeight")                     \
    X(GdipCreateFont, "gdiplus", "GdipCreateFont")                                 \
    X(GdipCreateSolidFill, "GdiPlus.dll", "GdipCreateSolidFill")                   \
    /* no DLL named: found in the built-in list, Kernel32.dll first */             \
    X(MultiByteToWideChar, "", "MultiByteToWideChar")                              \
    X(GdipSaveImageToStream, "GdiPlus.dll", "GdipSaveImageToStream")               \
    X(GetHGlobalFromStream, "ole32.dll", "GetHGlobalFromStream")                   \
    X(GlobalSize, "kernel32.dll", "GlobalSize")                                    \
    X(GdipDeleteBrush, "GdiPlus.dll", "GdipDeleteBrush")                           \
    X(GdipDeleteFont, "GdiPlus.dll", "GdipDeleteFont")                             \
    X(GdipImageRotateFlip, "gdiplus", "GdipImageRotateFlip")                       \
    X(GdipCreateFontFamilyFromName, "gdiplus", "GdipCreateFontFamilyFromName")     \
    X(GdipDeleteFontFamily, "GdiPlus.dll", "GdipDeleteFontFamily")                 \
    /* batch job: message pumping, waitable timers, folder tests */                \
    X(PeekMessageA, "user32.dll", "PeekMessageA")                                  \
    X(TranslateMessage, "user32.dll", "TranslateMessage")                          \
    X(DispatchMessageA, "user32.dll", "DispatchMessageA")                          \
    X(CreateWaitableTimerA, "kernel32.dll", "CreateWaitableTimerA")                \
    X(SetWaitableTimer, "kernel32.dll", "SetWaitableTimer")                        \
    X(MsgWaitForMultipleObjects, "User32.dll", "MsgWaitForMultipleObjects")        \
    X(CloseHandle, "kernel32.dll", "CloseHandle")                                  \
    X(MultiByteToWideCharKernel, "Kernel32.dll", "MultiByteToWideChar")            \
    X(FindFirstFileW, "kernel32.dll", "FindFirstFileW")                            \
    X(FindClose, "kernel32.dll", "FindClose")                                      \
    /* renderer: previews drawn at the size they are shown */                      \
    X(GdipScaleWorldTransform, "gdiplus", "GdipScaleWorldTransform")               \
    /* styled text: line widths */                                                 \
    X(GdipMeasureString, "gdiplus.dll", "GdipMeasureString")                     \
    /* the program's own fonts: loaded for this process alone */                  \
    X(GdipNewPrivateFontCollection, "gdiplus", "GdipNewPrivateFontCollection")     \
    X(GdipDeletePrivateFontCollection, "gdiplus", "GdipDeletePrivateFontCollection") \
    X(GdipPrivateAddFontFile, "gdiplus", "GdipPrivateAddFontFile")                 \
    X(AddFontResourceExW, "gdi32.dll", "AddFontResourceExW")

#define IMPRINTA_DLL_ENUM(name, file, function) kDll##name,
enum DllCommand : uint32_t { IMPRINTA_DLL_COMMANDS(IMPRINTA_DLL_ENUM) kDllCommandCount };
#undef IMPRINTA_DLL_ENUM

extern "C" {
// Stored tables the application header points at (one text per command).
extern const char* const DllFileNames[kDllCommandCount];
extern const char* const DllFunctionNames[kDllCommandCount];
}
