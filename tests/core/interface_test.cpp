// The interface table, library command calls, runtime services and RuntimeNotify.
#include <gtest/gtest.h>
#include <windows.h>
#include <cstring>
#include <string>
#include "runtime/core/blocks.h"
#include "runtime/core/runtime_interface.h"
#include "runtime/core/runtime_state.h"
#include "support/child_process.h"

using namespace imprinta;

namespace {

uint32_t Word(const void* p) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(p)); }

struct SeenCall {
    int count = -1;
    ArgValue args[3] = {};
    ArgValue resultOnEntry = {1, 1, 1};
} seen;

void IMPRINTA_CDECL RecordingCommand(ArgValue* result, int count, ArgValue* args) {
    seen.count = count;
    seen.resultOnEntry = *result;
    for (int i = 0; i < count && i < 3; ++i) seen.args[i] = args[i];
    result->low = 0x11223344;
    result->high = 0x55667788;
}

}  // namespace

TEST(Interface, TableSlotsAreInOrder) {
    using AllocFn = void*(IMPRINTA_CDECL*)(uint32_t);
    using FreeFn = void(IMPRINTA_CDECL*)(void*);
    EXPECT_EQ(reinterpret_cast<const void*>(&RaiseRuntimeError), RuntimeInterfaceTable[0]);
    EXPECT_EQ(reinterpret_cast<const void*>(&CallDllCommand), RuntimeInterfaceTable[1]);
    EXPECT_EQ(reinterpret_cast<const void*>(&GetUnitProperty), RuntimeInterfaceTable[4]);
    EXPECT_EQ(reinterpret_cast<const void*>(&CallRuntimeService), RuntimeInterfaceTable[12]);
    void* p = reinterpret_cast<AllocFn>(RuntimeInterfaceTable[kSlotAllocMemory])(32);
    ASSERT_NE(nullptr, p);
    reinterpret_cast<FreeFn>(RuntimeInterfaceTable[kSlotFreeMemory])(p);
}

TEST(Interface, LibraryCommandGetsZeroedResultAndOmittedArguments) {
    ArgValue args[3] = {{7, 0, kTypeInt}, {0, 0, 0}, {Word("x"), 0, kTypeText}};
    ArgValue r = CallLibraryCommand(RecordingCommand, 3, args);
    EXPECT_EQ(3, seen.count);
    EXPECT_EQ(0u, seen.resultOnEntry.low | seen.resultOnEntry.high | seen.resultOnEntry.type);
    EXPECT_EQ(7u, seen.args[0].low);
    EXPECT_EQ(0u, seen.args[1].low | seen.args[1].high | seen.args[1].type);
    EXPECT_EQ(0x11223344u, r.low);
    EXPECT_EQ(0x55667788u, r.high);
    EXPECT_EQ(0u, r.type);
    // The other-libraries slot does exactly the same; the position is not used.
    r = CallLibraryCommandLib(4, RecordingCommand, 1, args);
    EXPECT_EQ(1, seen.count);
    EXPECT_EQ(0x11223344u, r.low);
}

TEST(Notify, AnswersItsCodesAndZeroForOthers) {
    EXPECT_EQ(0, RuntimeNotify(1003, 1, 2, 3));
    EXPECT_EQ(0, RuntimeNotify(4242, 1, 2, 3));
    EXPECT_EQ(0, RuntimeNotify(-1, 0, 0, 0));
    EXPECT_EQ(0x00030005, RuntimeNotify(kNotifyRuntimeVersion, 0, 0, 0));
    EXPECT_EQ(0, RuntimeNotify(kNotifyRunMode, 0, 0, 0));

    std::string dir = testsupport::ProgramDirectory();
    const char* run = reinterpret_cast<const char*>(static_cast<uintptr_t>(RuntimeNotify(kNotifyRunDirectory, 0, 0, 0)));
    EXPECT_EQ(dir.substr(0, dir.size() - 1), run);
    char buffer[MAX_PATH * 2];
    RuntimeNotify(kNotifyDirectoryIntoBuffer, 2001, Word(buffer), 0);
    EXPECT_EQ(dir, buffer);
    RuntimeNotify(kNotifyDirectoryIntoBuffer, 2002, Word(buffer), 0);
    EXPECT_STREQ("test_core.exe", buffer);
    RuntimeNotify(kNotifyDirectoryIntoBuffer, 77, Word(buffer), 0);
    EXPECT_STREQ("", buffer);
    // The run directory is the current directory after start-up.
    char cwd[MAX_PATH * 2];
    GetCurrentDirectoryA(sizeof cwd, cwd);
    EXPECT_STREQ(run, cwd);
}

TEST(Notify, RegisteredObjectsKeepTheirFirstTag) {
    HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    uint32_t b = Word(brush);
    EXPECT_EQ(-1, RuntimeNotify(kNotifyObjectTag, b, 0, 0));
    RuntimeNotify(kNotifyRegisterObject, b, 5, 0);
    RuntimeNotify(kNotifyRegisterObject, b, 9, 0);
    EXPECT_EQ(5, RuntimeNotify(kNotifyObjectTag, b, 0, 0));
    EXPECT_EQ(1, RuntimeNotify(kNotifyUnregisterObject, b, 0, 0));
    EXPECT_EQ(0, RuntimeNotify(kNotifyUnregisterObject, b, 0, 0));
    DeleteObject(brush);
}

TEST(Notify, AllocationCodes) {
    void* p = reinterpret_cast<void*>(static_cast<uintptr_t>(RuntimeNotify(kNotifyAllocate, 10, 0, 0)));
    ASSERT_NE(nullptr, p);
    p = reinterpret_cast<void*>(static_cast<uintptr_t>(RuntimeNotify(kNotifyResize, Word(p), 5000, 0)));
    ASSERT_NE(nullptr, p);
    RuntimeNotify(kNotifyRelease, Word(p), 0, 0);
    // With the may-fail flag an impossible size answers 0 instead of ending the program.
    EXPECT_EQ(0, RuntimeNotify(kNotifyAllocate, 0xFFFFFFF0u, 1, 0));
}

TEST(Services, FindFileSelectsByMask) {
    std::string dir = testsupport::MakeScratchDirectory("find");
    testsupport::WriteWholeFile(dir + "plain.txt", "x");
    testsupport::WriteWholeFile(dir + "hidden.txt", "x");
    SetFileAttributesA((dir + "hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
    CreateDirectoryA((dir + "sub").c_str(), nullptr);

    auto collect = [&](uint32_t mask, uint32_t filesOnly) {
        std::string names;
        HANDLE search = nullptr;
        std::string pattern = dir + "*";
        char* name = reinterpret_cast<char*>(CallRuntimeService(kServiceFindFile, pattern.c_str(), mask, filesOnly, &search));
        while (name) {
            if (strcmp(name, ".") && strcmp(name, "..")) names += std::string(name) + ";";
            FreeMemory(name);
            name = reinterpret_cast<char*>(CallRuntimeService(kServiceFindFile, "", mask, filesOnly, &search));
        }
        EXPECT_EQ(nullptr, search);  // a finished search closes its handle
        return names;
    };
    std::string files = collect(0, 1);
    EXPECT_NE(std::string::npos, files.find("plain.txt"));
    EXPECT_NE(std::string::npos, files.find("hidden.txt"));
    EXPECT_EQ(std::string::npos, files.find("sub"));
    EXPECT_EQ("hidden.txt;", collect(FILE_ATTRIBUTE_HIDDEN, 0));
    EXPECT_EQ("sub;", [&] {
        std::string all = collect(FILE_ATTRIBUTE_DIRECTORY, 0);
        return all;
    }());
    // The extra bits above 0x37 are ignored when the flag is clear.
    EXPECT_EQ("hidden.txt;", collect(FILE_ATTRIBUTE_HIDDEN | 0x100, 0));
}

TEST(Services, FindFileMaskZeroWantsEntriesWithoutAttributeBits) {
    // Wine reports the archive bit on every file, so the rule is checked on its own.
    struct Case {
        uint32_t attributes, mask;
        bool filesOnly, match;
    } cases[] = {
        {0, 0, false, true},
        {FILE_ATTRIBUTE_NORMAL, 0, false, true},
        {FILE_ATTRIBUTE_ARCHIVE, 0, false, false},
        {FILE_ATTRIBUTE_TEMPORARY, 0, false, false},  // outside 0x37, still an attribute
        {FILE_ATTRIBUTE_NOT_CONTENT_INDEXED, 0x100, false, false},  // mask reduced to 0x37, not 0
        {0, 0x100, false, true},
        {FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE, FILE_ATTRIBUTE_HIDDEN, false, true},
        {FILE_ATTRIBUTE_DIRECTORY, 0, true, false},
        {FILE_ATTRIBUTE_HIDDEN, 0, true, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.match, SearchEntryMatches(c.attributes, c.mask, c.filesOnly))
            << std::hex << c.attributes << " mask " << c.mask << " files " << c.filesOnly;
}

#include "runtime/pictures/picture_decode.h"

TEST(Notify, PictureObjectsAreRegisteredOnceAndDestroyed) {
    auto* picture = new imprinta::picture::DecodedPicture();
    uint32_t p = Word(picture);
    EXPECT_EQ(0, RuntimeNotify(kNotifyIsPictureRegistered, p, 0, 0));
    RuntimeNotify(kNotifyRegisterPicture, p, 0, 0);
    RuntimeNotify(kNotifyRegisterPicture, p, 0, 0);
    EXPECT_EQ(1, RuntimeNotify(kNotifyIsPictureRegistered, p, 0, 0));
    RuntimeNotify(kNotifyDestroyPicture, p, 0, 0);  // releases it
    EXPECT_EQ(0, RuntimeNotify(kNotifyIsPictureRegistered, p, 0, 0));
    // A program without its own icon answers null handles.
    uint32_t words[2] = {1, 1};
    RuntimeNotify(kNotifyProgramIcon, Word(words), 0, 0);
    EXPECT_EQ(0u, words[0]);
    EXPECT_EQ(0u, words[1]);
}
