// A tiny DLL for the DLL-command tests; built twice with different variants.
#include <windows.h>

extern "C" __declspec(dllexport) int __stdcall Variant(void) { return TEST_DLL_VARIANT; }
extern "C" int __stdcall OrdinalFive(int x) { return x * 5; }
extern "C" __declspec(dllexport) int __stdcall AddThree(int a, int b, int c) { return a + b + c; }
