// The interface table, library command calls, runtime services and RuntimeNotify.
#include <windows.h>
#include "runtime/base/words.h"
#include <cstdarg>
#include <cstring>
#include <algorithm>
#include "runtime/base/allocation_failure.h"
#include "runtime/core/blocks.h"
#include "runtime/core/runtime_state.h"
#include "runtime/core/window_system.h"
#include "runtime/pictures/picture_decode.h"

using namespace imprinta;

// Every slot of the interface table keeps exceptions on its own side: an
// allocation failure inside becomes the out-of-memory report.
extern "C" ArgValue IMPRINTA_CDECL CallLibraryCommand(CommandEntry entry, int count, ArgValue* args) {
    ArgValue result = {0, 0, 0};
    FatalOnBadAlloc([&] { entry(&result, count, args); });
    return result;
}

extern "C" ArgValue IMPRINTA_CDECL CallLibraryCommandLib(int, CommandEntry entry, int count, ArgValue* args) {
    return CallLibraryCommand(entry, count, args);
}

extern "C" uint64_t IMPRINTA_CDECL GetUnitProperty(uint32_t windowId, uint32_t unitId, int property, int) {
    return FatalOnBadAlloc([&] { return Windows().getProperty(windowId, unitId, property); });
}

extern "C" void IMPRINTA_CDECL SetUnitProperty(uint32_t windowId, uint32_t unitId, int property, int,
                                               uint32_t low, uint32_t high) {
    FatalOnBadAlloc([&] { Windows().setProperty(windowId, unitId, property, low, high); });
}

namespace imprinta {

// Mask 0 asks for entries without attribute bits. The system reports such an
// entry with FILE_ATTRIBUTE_NORMAL alone ("no other attribute"), so that counts
// as none; any other bit, even one outside the selectable set, does not.
bool SearchEntryMatches(uint32_t attributes, uint32_t mask, bool filesOnly) {
    if (filesOnly) return (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    mask &= kSearchSelectableAttributes;
    if (mask == 0) return attributes == 0 || attributes == FILE_ATTRIBUTE_NORMAL;
    return (attributes & mask) != 0;
}

}  // namespace imprinta

namespace {

// Service 0: next file of a search. handle is the address of the search handle.
char* FindFile(const char* pattern, uint32_t mask, uint32_t filesOnly, HANDLE* handle) {
    WIN32_FIND_DATAA data;
    bool fresh = pattern && *pattern;
    if (fresh) {
        if (*handle) FindClose(*handle);
        *handle = FindFirstFileA(pattern, &data);
        if (*handle == INVALID_HANDLE_VALUE) {
            *handle = nullptr;
            return nullptr;
        }
    } else {
        if (!*handle || !FindNextFileA(*handle, &data)) {
            if (*handle) FindClose(*handle);
            *handle = nullptr;
            return nullptr;
        }
    }
    for (;;) {
        if (SearchEntryMatches(data.dwFileAttributes, mask, filesOnly != 0)) return CopyText(data.cFileName);
        if (!FindNextFileA(*handle, &data)) break;
    }
    FindClose(*handle);
    *handle = nullptr;
    return nullptr;
}

void AddExitCallback(void(IMPRINTA_CDECL* routine)()) {
    auto& list = TheRuntime().exitCallbacks;
    if (routine && std::find(list.begin(), list.end(), routine) == list.end()) list.push_back(routine);
}

}  // namespace

namespace imprinta {
void StartRuntime();
}

static uintptr_t RunRuntimeService(int number, va_list ap) {
    uintptr_t result = 0;
    switch (number) {
    case kServiceFindFile: {
        const char* pattern = va_arg(ap, const char*);
        uint32_t mask = va_arg(ap, uint32_t);
        uint32_t filesOnly = va_arg(ap, uint32_t);
        HANDLE* handle = va_arg(ap, HANDLE*);
        result = reinterpret_cast<uintptr_t>(FindFile(pattern, mask, filesOnly, handle));
        break;
    }
    case kServiceEndFileSearch: {
        HANDLE h = va_arg(ap, HANDLE);
        if (h && h != INVALID_HANDLE_VALUE) FindClose(h);
        break;
    }
    case kServiceMakeArrayWritable: {
        uint32_t width = va_arg(ap, uint32_t);
        void** variable = va_arg(ap, void**);
        MakeArrayWritableImpl(width, variable);
        break;
    }
    case kServiceAddExitCallback:
        AddExitCallback(va_arg(ap, void(IMPRINTA_CDECL*)()));
        break;
    case kServiceGetPropertyByRef:
    case kServiceSetPropertyByRef:
        // Unit references are not used by this program's application code.
        RaiseRuntimeError(kErrorArgumentType);
    case kServiceStartRuntime:
        StartRuntime();
        break;
    default:
        break;
    }
    return result;
}

extern "C" uintptr_t IMPRINTA_CDECL CallRuntimeService(int number, ...) {
    va_list ap;
    va_start(ap, number);
    uintptr_t result = FatalOnBadAlloc([&] { return RunRuntimeService(number, ap); });
    va_end(ap);
    return result;
}

namespace {

int64_t AnswerDirectory(uint32_t kind, char* buffer) {
    const Runtime& rt = TheRuntime();
    std::string text;
    if (kind == 1 || kind == 2001) text = rt.runDirectory + "\\";
    else if (kind == 2002) text = rt.programFileName;
    memcpy(buffer, text.c_str(), text.size() + 1);
    return 0;
}

int64_t RegisterObject(void* object, uint8_t tag) {
    auto& list = TheRuntime().registeredObjects;
    for (auto& o : list)
        if (o.object == object) return 0;
    list.push_back({object, tag});
    return 0;
}

int64_t ObjectTag(void* object) {
    for (auto& o : TheRuntime().registeredObjects)
        if (o.object == object) return o.tag;
    return -1;
}

int64_t UnregisterObject(void* object) {
    auto& list = TheRuntime().registeredObjects;
    for (auto it = list.begin(); it != list.end(); ++it)
        if (it->object == object) {
            list.erase(it);
            return 1;
        }
    return 0;
}

const TypeDescriptor* FindTypeDescriptor(uint32_t type) {
    const Runtime& rt = TheRuntime();
    uint32_t lib = TypeLibrary(type), number = TypeNumber(type);
    if (lib < 1 || lib > rt.libraries.size() || number < 1) return nullptr;
    const LibraryInfo* info = rt.libraries[lib - 1];
    if (!info || number > info->typeCount || !info->types) return nullptr;
    return &info->types[number - 1];
}

void AddIdleCallback(HWND window, uint32_t routine, uint32_t parameter) {
    auto& list = TheRuntime().idleCallbacks;
    if (!IsWindow(window) || routine == 0) return;
    for (auto& cb : list)
        if (cb.window == window) return;
    list.push_back({window, reinterpret_cast<void(IMPRINTA_STDCALL*)(uint32_t)>(routine), parameter});
}

// The program icon in its two sizes, loaded on the first request and kept.
void AnswerProgramIcon(uint32_t* words) {
    Runtime& rt = TheRuntime();
    if (!rt.programIconLarge && !rt.programIconSmall) {
        HINSTANCE self = GetModuleHandleA(nullptr);
        rt.programIconLarge = static_cast<HICON>(LoadImageA(self, "DEFAULT_ICON", IMAGE_ICON, 32, 32, 0));
        rt.programIconSmall = static_cast<HICON>(LoadImageA(self, "DEFAULT_ICON", IMAGE_ICON, 16, 16, 0));
    }
    if (!words) return;
    words[0] = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(rt.programIconLarge));
    words[1] = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(rt.programIconSmall));
}

// Picture objects registered by LoadPicture live until they are destroyed or the program ends.
int64_t RegisterPicture(void* record) {
    auto& list = TheRuntime().pictures;
    if (record && std::find(list.begin(), list.end(), record) == list.end()) list.push_back(record);
    return 0;
}

int64_t IsPictureRegistered(void* record) {
    auto& list = TheRuntime().pictures;
    return record && std::find(list.begin(), list.end(), record) != list.end() ? 1 : 0;
}

int64_t DestroyPicture(void* record) {
    auto& list = TheRuntime().pictures;
    auto it = std::find(list.begin(), list.end(), record);
    if (it == list.end()) return 0;
    list.erase(it);
    delete static_cast<imprinta::picture::DecodedPicture*>(record);
    return 0;
}

void RemoveIdleCallback(HWND window) {
    auto& list = TheRuntime().idleCallbacks;
    list.erase(std::remove_if(list.begin(), list.end(), [&](const IdleCallback& c) { return c.window == window; }),
               list.end());
}

}  // namespace

namespace imprinta {
void DestroyAllPictures() {
    auto list = std::move(TheRuntime().pictures);
    TheRuntime().pictures.clear();
    for (void* record : list) delete static_cast<picture::DecodedPicture*>(record);
}

const TypeDescriptor* TypeDescriptorFor(uint32_t type) { return FindTypeDescriptor(type); }

void OnProgramWindowDestroyed() {
    const Runtime& rt = TheRuntime();
    if (rt.loopEntered && !Windows().anyWindowAlive()) PostQuitMessage(0);
}
}  // namespace imprinta

namespace {

int64_t PointerAnswer(const void* p) { return static_cast<int64_t>(reinterpret_cast<uintptr_t>(p)); }

// Notifications answered by groups; each sets *answer and returns true when the code is its own.
bool AnswerMemoryNotify(int code, uint32_t a1, uint32_t a2, int64_t* answer) {
    switch (code) {
    case kNotifyFreeValue:
        if (IsArrayType(a1)) FreeArrayValue(a1, Ptr(a2));
        else FreeMemory(Ptr(a2));
        break;
    case kNotifyAllocate: *answer = PointerAnswer(a2 ? TryAllocMemory(a1) : AllocMemory(a1)); break;
    case kNotifyRelease: FreeMemory(Ptr(a1)); break;
    case kNotifyResize: *answer = PointerAnswer(ReallocMemory(Ptr(a1), a2)); break;
    default: return false;
    }
    return true;
}

bool AnswerProgramNotify(int code, uint32_t a1, uint32_t a2, int64_t* answer) {
    const Runtime& rt = TheRuntime();
    switch (code) {
    case kNotifyProgramIcon: AnswerProgramIcon(static_cast<uint32_t*>(Ptr(a1))); break;
    case kNotifyRuntimeVersion: *answer = kRuntimeVersion; break;
    case kNotifyDirectoryIntoBuffer: *answer = AnswerDirectory(a1, static_cast<char*>(Ptr(a2))); break;
    case kNotifyRunDirectory: *answer = PointerAnswer(rt.runDirectory.c_str()); break;
    case kNotifyProgramFileName: *answer = PointerAnswer(rt.programFileName.c_str()); break;
    case kNotifyRunMode: *answer = rt.header ? rt.header->runMode : 0; break;
    case kNotifyHiddenOwner: *answer = PointerAnswer(rt.hiddenOwner); break;
    case kNotifyReportError: ReportError(static_cast<const char*>(Ptr(a1)), kErrorNoCode);
    case kNotifyEndProgram: ExitProgram(static_cast<int>(a1));
    default: return false;
    }
    return true;
}

// Notification 2029: the kind of a library type.
int64_t TypeKind(uint32_t type) {
    const TypeDescriptor* d = FindTypeDescriptor(type);
    if (!d) return 0;
    if (d->flags & kTypeKindTwoBit) return 2;
    if (d->flags & kTypeKindOneBit) return 1;
    return 0;
}

bool AnswerObjectNotify(int code, uint32_t a1, uint32_t a2, int64_t* answer) {
    switch (code) {
    case kNotifyRegisterPicture: *answer = RegisterPicture(Ptr(a1)); break;
    case kNotifyDestroyPicture: *answer = DestroyPicture(Ptr(a1)); break;
    case kNotifyIsPictureRegistered: *answer = IsPictureRegistered(Ptr(a1)); break;
    case kNotifyObjectTag: *answer = ObjectTag(Ptr(a1)); break;
    case kNotifyRegisterObject: *answer = RegisterObject(Ptr(a1), static_cast<uint8_t>(a2)); break;
    case kNotifyUnregisterObject: *answer = UnregisterObject(Ptr(a1)); break;
    case kNotifyTypeDescriptor: *answer = PointerAnswer(FindTypeDescriptor(a1)); break;
    case kNotifyTypeKind: *answer = TypeKind(a1); break;
    default: return false;
    }
    return true;
}

bool AnswerLoopNotify(int code, uint32_t a1, uint32_t a2, uint32_t a3) {
    Runtime& rt = TheRuntime();
    switch (code) {
    case kNotifyAddIdleCallback: AddIdleCallback(static_cast<HWND>(Ptr(a1)), a2, a3); break;
    case kNotifyRemoveIdleCallback: RemoveIdleCallback(static_cast<HWND>(Ptr(a1))); break;
    case kNotifyCreationBegins: InterlockedIncrement(&rt.eventSuppression); break;
    case kNotifyCreationEnds:
        if (rt.eventSuppression > 0) InterlockedDecrement(&rt.eventSuppression);
        break;
    case kNotifyPumpMessages: PumpWaitingMessages(); break;
    default: return false;
    }
    return true;
}

// Windows and units first, then the core's own groups; unknown codes answer 0.
int64_t AnswerNotify(int code, uint32_t a1, uint32_t a2, uint32_t a3) {
    int64_t answer = 0;
    if (Windows().handleNotify(code, a1, a2, a3, &answer)) return answer;
    if (AnswerMemoryNotify(code, a1, a2, &answer) || AnswerProgramNotify(code, a1, a2, &answer) ||
        AnswerObjectNotify(code, a1, a2, &answer))
        return answer;
    AnswerLoopNotify(code, a1, a2, a3);
    return 0;
}

}  // namespace

extern "C" int64_t IMPRINTA_STDCALL RuntimeNotify(int code, uint32_t a1, uint32_t a2, uint32_t a3) {
    return FatalOnBadAlloc([&] { return AnswerNotify(code, a1, a2, a3); });
}

extern "C" const void* const RuntimeInterfaceTable[kRuntimeSlotCount] = {
    reinterpret_cast<const void*>(&RaiseRuntimeError),
    reinterpret_cast<const void*>(&CallDllCommand),
    reinterpret_cast<const void*>(&CallLibraryCommandLib),
    reinterpret_cast<const void*>(&CallLibraryCommand),
    reinterpret_cast<const void*>(&GetUnitProperty),
    reinterpret_cast<const void*>(&SetUnitProperty),
    reinterpret_cast<const void*>(&AllocMemory),
    reinterpret_cast<const void*>(&ReallocMemory),
    reinterpret_cast<const void*>(&FreeMemory),
    reinterpret_cast<const void*>(&ExitProgram),
    reinterpret_cast<const void*>(&RunMessageLoop),
    reinterpret_cast<const void*>(&LoadStartWindow),
    reinterpret_cast<const void*>(&CallRuntimeService),
};
