// DLL commands resolved by name on first use (non-fatal paths; fatal ones run in
// child processes, see exit_test.cpp).
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include "core_test_header.h"
#include "runtime/core/dll_call.h"
#include "runtime/core/runtime_state.h"
#include "support/child_process.h"

using imprinta::ResolveDllCommand;

namespace {

HMODULE ModuleOf(void* address) {
    HMODULE m = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       static_cast<LPCSTR>(address), &m);
    return m;
}

// The run-directory copy and a copy on the search path differ in what Variant returns.
class DllPlacement : public testing::Test {
protected:
    static void SetUpTestSuite() {
        std::string dir = testsupport::ProgramDirectory();
        std::string pathDir = testsupport::MakeScratchDirectory("dllpath");
        ASSERT_TRUE(testsupport::CopyFileTo(dir + "imptest_v1.dll", dir + "imptest.dll"));
        ASSERT_TRUE(testsupport::CopyFileTo(dir + "imptest_v2.dll", pathDir + "imptest.dll"));
        ASSERT_TRUE(testsupport::CopyFileTo(dir + "imptest_v2.dll", dir + "imptest_cached.dll"));
        char path[8192];
        GetEnvironmentVariableA("PATH", path, sizeof path);
        SetEnvironmentVariableA("PATH", (pathDir + ";" + path).c_str());
    }
};

}  // namespace

TEST(DllCommands, EmptyDllNameUsesTheBuiltInListKernelFirst) {
    void* address = ResolveDllCommand(kDllMultiByteToWideChar);
    EXPECT_EQ(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "MultiByteToWideChar")), address);
    wchar_t out[4] = {};
    uint64_t n = CallDll(kDllMultiByteToWideChar, {0, 0, PtrWord("hi"), static_cast<uint32_t>(-1), PtrWord(out), 4});
    EXPECT_EQ(3u, static_cast<uint32_t>(n));
    EXPECT_STREQ(L"hi", out);
}

TEST(DllCommands, DifferentSpellingsNameTheSameModule) {
    HMODULE a = ModuleOf(ResolveDllCommand(kDllGdiplusStartupLower));
    HMODULE b = ModuleOf(ResolveDllCommand(kDllGdipCreateSolidFillMixed));
    ASSERT_NE(nullptr, a);
    EXPECT_EQ(a, b);
}

TEST_F(DllPlacement, RunDirectoryWinsOverTheSearchPath) {
    EXPECT_EQ(1u, static_cast<uint32_t>(CallDll(kDllVariant, {})));
    char name[MAX_PATH];
    GetModuleFileNameA(ModuleOf(ResolveDllCommand(kDllVariant)), name, MAX_PATH);
    EXPECT_EQ(testsupport::ProgramDirectory() + "imptest.dll", std::string(name));
}

TEST_F(DllPlacement, OrdinalsAndCalleeCleanedArguments) {
    EXPECT_EQ(15u, static_cast<uint32_t>(CallDll(kDllOrdinalFive, {3})));
    EXPECT_EQ(6u, static_cast<uint32_t>(CallDll(kDllAddThree, {1, 2, 3})));
    EXPECT_EQ(ModuleOf(ResolveDllCommand(kDllOrdinalFive)), ModuleOf(ResolveDllCommand(kDllAddThree)));
}

TEST_F(DllPlacement, SecondCallDoesNotLoadAgain) {
    EXPECT_EQ(2u, static_cast<uint32_t>(CallDll(kDllVariantCached, {})));
    EXPECT_EQ(2u, static_cast<uint32_t>(CallDll(kDllVariantCached, {})));
    HMODULE m = GetModuleHandleA("imptest_cached.dll");
    ASSERT_NE(nullptr, m);
    // One reference: releasing it once unloads the module.
    FreeLibrary(m);
    EXPECT_EQ(nullptr, GetModuleHandleA("imptest_cached.dll"));
    LoadLibraryA((testsupport::ProgramDirectory() + "imptest_cached.dll").c_str());  // balance the exit clean-up
}
