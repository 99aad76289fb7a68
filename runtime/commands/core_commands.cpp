// The core library's 30 commands, in command-table order.
#include <windows.h>
#include <cmath>
#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <vector>
#include "runtime/base/byte_ops.h"
#include "runtime/commands/command_support.h"
#include "runtime/commands/commands.h"
#include "runtime/base/conversion.h"
#include "runtime/core/blocks.h"
#include "runtime/core/runtime_interface.h"
#include "runtime/pictures/picture_decode.h"

using namespace imprinta;
using namespace imprinta::cmd;

namespace {

conv::Value ConvValue(const ArgValue& a) {
    uint32_t t = a.type;
    bool pointer = IsArrayType(t) || t == kTypeText || t == kTypeBytes;
    return {t, a.low, a.high, pointer ? Ptr<const void>(a.low) : nullptr};
}

HANDLE OpenForReading(const char* name) {
    return CreateFileA(name, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// A byte set's length word holds at most 32 bits; longer files are never read.
constexpr int64_t kLongestFile = 0x7FFFFFF0;

// The file's length, or -1 when it cannot be taken or is too long to hold.
int64_t ReadableLength(HANDLE file) {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file, &size) || size.QuadPart < 0 || size.QuadPart >= kLongestFile) return -1;
    return size.QuadPart;
}

// Whole file content, opened for reading with readers only sharing it.
// nullopt when it cannot be opened or read, or is too large for memory (user
// data: never the out-of-memory report); an empty vector for an empty file.
std::optional<std::vector<uint8_t>> ReadWholeFile(const char* name) {
    HANDLE file = OpenForReading(name);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    std::optional<std::vector<uint8_t>> result;
    int64_t length = ReadableLength(file);
    try {
        if (length >= 0) {
            std::vector<uint8_t> data(static_cast<size_t>(length));
            DWORD read = 0;
            if (data.empty() || ReadFile(file, data.data(), static_cast<DWORD>(data.size()), &read, nullptr)) {
                data.resize(read);
                result = std::move(data);
            }
        }
    } catch (const std::bad_alloc&) {
        result.reset();
    }
    CloseHandle(file);
    return result;
}

// ---- 0 ReadFileBytes(file) ----
// Read straight into the result block. A file too large for memory reads like
// one that cannot be read: the empty byte set.
void IMPRINTA_CDECL ReadFileBytes(ArgValue* r, int, ArgValue* args) {
    const char* name = TextArg(args[0]);
    if (!*name) return;
    HANDLE file = OpenForReading(name);
    if (file == INVALID_HANDLE_VALUE) return;
    int64_t length = ReadableLength(file);
    auto* block = length > 0 ? static_cast<uint32_t*>(TryAllocMemory(static_cast<uint32_t>(length) + 8)) : nullptr;
    DWORD read = 0;
    if (block && ReadFile(file, block + 2, static_cast<DWORD>(length), &read, nullptr) && read > 0) {
        block[0] = 1;
        block[1] = read;
        r->low = Word(block);
    } else {
        FreeMemory(block);
    }
    CloseHandle(file);
}

// ---- 1 ComboBoxItemText(combo box, index) ----
void IMPRINTA_CDECL ComboBoxItemText(ArgValue* r, int, ArgValue* args) {
    HWND combo = UnitWindow(args[0]);
    if (!combo) return;
    auto index = static_cast<int32_t>(args[1].low);
    LRESULT count = SendMessageA(combo, CB_GETCOUNT, 0, 0);
    if (index < 0 || index >= count) return;
    LRESULT length = SendMessageA(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length <= 0) return;
    std::string text(static_cast<size_t>(length) + 1, '\0');
    LRESULT got = SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    if (got <= 0) return;
    text.resize(strnlen(text.c_str(), static_cast<size_t>(got)));
    SetText(r, text);
}

// ---- 2 ToInteger(value) ----
void IMPRINTA_CDECL ToInteger(ArgValue* r, int, ArgValue* args) {
    r->low = static_cast<uint32_t>(conv::ToInteger(ConvValue(args[0])));
}

// ---- 3 BytesLength(bytes) ----
void IMPRINTA_CDECL BytesLength(ArgValue* r, int, ArgValue* args) { r->low = ByteSetLength(Ptr(args[0].low)); }

// ---- 4 ToBytes(value) ----
void IMPRINTA_CDECL ToBytes(ArgValue* r, int, ArgValue* args) {
    std::string bytes = conv::ValueBytes(ConvValue(args[0]));
    SetBytes(r, bytes.data(), static_cast<uint32_t>(bytes.size()));
}

// ---- 5 BytesGetData(bytes, kind, optional position or position variable) ----
void IMPRINTA_CDECL BytesGetData(ArgValue* r, int count, ArgValue* args) {
    int kind = static_cast<int32_t>(args[1].low);
    if (!ops::IsValidDataKind(kind)) Fatal("“欲取出数据的类型”参数值无效");
    const void* block = Ptr(args[0].low);
    int32_t* variable = nullptr;
    bool hasPosition = Given(count, args, 2);
    int32_t position = 0;
    if (hasPosition) {
        if (args[2].type & kArrayFlag) variable = Ptr<int32_t>(args[2].low);
        position = variable ? *variable : static_cast<int32_t>(args[2].low);
    }
    ops::Extracted e = ops::ExtractValue(ByteSetData(block), ByteSetLength(block), kind, hasPosition, position);
    r->type = e.type;
    if (kind == 10) {
        SetText(r, e.text);
    } else {
        r->low = e.low;
        r->high = e.high;
    }
    if (variable) *variable = e.next;
}

// ---- 6 BlankBytes(length) ----
void IMPRINTA_CDECL BlankBytes(ArgValue* r, int, ArgValue* args) {
    auto length = static_cast<int32_t>(args[0].low);
    if (length > 0) SetBytes(r, nullptr, static_cast<uint32_t>(length));
}

// ---- 7 RunDirectory() ----
void IMPRINTA_CDECL RunDirectory(ArgValue* r, int, ArgValue*) {
    r->low = Word(CopyText(Ptr<const char>(static_cast<uint32_t>(Notify(kNotifyRunDirectory)))));
}

const char* SkipLeadingBlanks(const char* s) {
    while (*s != 0 && static_cast<uint8_t>(*s) <= 32) ++s;
    return s;
}

// ---- 8 ReadIniItem(file, section, key, optional default) ----
void IMPRINTA_CDECL ReadIniItem(ArgValue* r, int count, ArgValue* args) {
    const char* fallback = Given(count, args, 3) ? TextArg(args[3]) : "";
    const char* file = SkipLeadingBlanks(TextArg(args[0]));
    const char* section = SkipLeadingBlanks(TextArg(args[1]));
    const char* key = SkipLeadingBlanks(TextArg(args[2]));
    if (!*file || !*section || !*key) return;
    std::vector<char> buffer(10240, '\0');
    GetPrivateProfileStringA(section, key, fallback, buffer.data(), static_cast<DWORD>(buffer.size()), file);
    buffer.back() = 0;
    r->low = Word(CopyText(buffer.data()));
}

// ---- 9 MakeDirectory(path) ----
void IMPRINTA_CDECL MakeDirectory(ArgValue* r, int, ArgValue* args) {
    r->low = CreateDirectoryA(TextArg(args[0]), nullptr) ? 1 : 0;
}

// ---- 10 ComboBoxAddItem(combo box, text, optional item data) ----
void IMPRINTA_CDECL ComboBoxAddItem(ArgValue* r, int count, ArgValue* args) {
    r->low = static_cast<uint32_t>(-1);
    HWND combo = UnitWindow(args[0]);
    if (!combo) return;
    LRESULT index = SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(TextArg(args[1])));
    if (index < 0) return;
    LPARAM data = Given(count, args, 2) ? static_cast<LPARAM>(static_cast<int32_t>(args[2].low)) : 0;
    SendMessageA(combo, CB_SETITEMDATA, static_cast<WPARAM>(index), data);
    r->low = static_cast<uint32_t>(index);
}

// ---- 11 FileExists(name or pattern) ----
void IMPRINTA_CDECL FileExists(ArgValue* r, int, ArgValue* args) {
    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA(TextArg(args[0]), &data);
    if (search == INVALID_HANDLE_VALUE) return;
    FindClose(search);
    r->low = 1;
}

// ---- 12 WriteBytesToFile(file, bytes, ...) ----
void IMPRINTA_CDECL WriteBytesToFile(ArgValue* r, int count, ArgValue* args) {
    const char* name = TextArg(args[0]);
    if (!*name) return;
    HANDLE file = CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    bool ok = true;
    for (int i = 1; i < count && ok; ++i) {
        if (args[i].type != kTypeBytes) continue;
        const void* block = Ptr(args[i].low);
        uint32_t length = ByteSetLength(block);
        if (length == 0) continue;
        DWORD written = 0;
        ok = WriteFile(file, ByteSetData(block), length, &written, nullptr) && written == length;
    }
    CloseHandle(file);
    r->low = ok ? 1 : 0;
}

// ---- 13 ChangeFileAttributes(file, attributes) ----
void IMPRINTA_CDECL ChangeFileAttributes(ArgValue* r, int, ArgValue* args) {
    // Only read-only, hidden, system and archive are passed on.
    r->low = SetFileAttributesA(TextArg(args[0]), args[1].low & 0x27) ? 1 : 0;
}

// ---- 14 ComboBoxItemData(combo box, index) ----
void IMPRINTA_CDECL ComboBoxItemData(ArgValue* r, int, ArgValue* args) {
    r->low = static_cast<uint32_t>(-1);
    HWND combo = UnitWindow(args[0]);
    if (!combo) return;
    auto index = static_cast<int32_t>(args[1].low);
    if (index < 0 || index >= SendMessageA(combo, CB_GETCOUNT, 0, 0)) return;
    r->low = static_cast<uint32_t>(SendMessageA(combo, CB_GETITEMDATA, static_cast<WPARAM>(index), 0));
}

// ---- 15 RoundDown(value) ----
void IMPRINTA_CDECL RoundDown(ArgValue* r, int, ArgValue* args) {
    r->low = static_cast<uint32_t>(ops::RoundDownSnapped(DoubleArg(args[0])));
}

// Random generator state per thread, in thread-local storage. The slot holds
// the state XOR 1, so a fresh thread's zero slot is the initial state 1.
DWORD RandomSlot() {
    static const DWORD slot = TlsAlloc();
    return slot;
}
uint32_t LoadRandomState() {
    return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(TlsGetValue(RandomSlot()))) ^ 1u;
}
void StoreRandomState(uint32_t state) {
    TlsSetValue(RandomSlot(), reinterpret_cast<void*>(static_cast<uintptr_t>(state ^ 1u)));
}
volatile LONG g_seedCounter = 0;

// ---- 16 SeedRandom(optional seed) ----
void IMPRINTA_CDECL SeedRandom(ArgValue*, int count, ArgValue* args) {
    uint32_t seed;
    if (Given(count, args, 0)) {
        seed = args[0].low;
    } else {
        // Two calls within one millisecond still get different seeds.
        seed = GetTickCount() + static_cast<uint32_t>(g_seedCounter);
        g_seedCounter = static_cast<LONG>(static_cast<uint32_t>(g_seedCounter) + (seed & 0xFF) + 100);
    }
    StoreRandomState(seed);
}

// ---- 17 RandomNumber(optional minimum, optional maximum) ----
void IMPRINTA_CDECL RandomNumber(ArgValue* r, int count, ArgValue* args) {
    uint32_t state = LoadRandomState();
    bool hasMin = Given(count, args, 0), hasMax = Given(count, args, 1);
    int32_t value = ops::RandomInRange(state, hasMin, hasMin ? static_cast<int32_t>(args[0].low) : 0, hasMax,
                                       hasMax ? static_cast<int32_t>(args[1].low) : 0);
    StoreRandomState(state);
    r->low = static_cast<uint32_t>(value);
}

// ---- 18 MakeShort(low, high) ----
void IMPRINTA_CDECL MakeShort(ArgValue* r, int, ArgValue* args) {
    r->low = ((args[1].low << 8) | (args[0].low & 0xFF)) & 0xFFFF;
}

// ---- 19 LoadPicture(byte set or file name) ----
void IMPRINTA_CDECL LoadPicture(ArgValue* r, int, ArgValue* args) {
    std::vector<uint8_t> fileData;
    const uint8_t* data = nullptr;
    uint32_t length = 0;
    if (args[0].type == kTypeBytes) {
        const void* block = Ptr(args[0].low);
        data = ByteSetData(block);
        length = ByteSetLength(block);
    } else if (args[0].type == kTypeText) {
        const char* name = TextArg(args[0]);
        if (!*name) return;
        auto read = ReadWholeFile(name);
        if (!read) return;
        fileData = std::move(*read);
        data = fileData.data();
        length = static_cast<uint32_t>(fileData.size());
    } else {
        return;
    }
    if (ops::RecognisePicture(data, length) == ops::kPictureUnknown) return;
    auto decoded = picture::DecodePicture(std::span<const uint8_t>(data, length));
    if (!decoded) return;
    auto* object = new (std::nothrow) picture::DecodedPicture(std::move(*decoded));
    if (!object) return;
    Notify(kNotifyRegisterPicture, Word(object));
    r->low = Word(object);
}

// ---- 20 ToText(value) ----
void IMPRINTA_CDECL ToText(ArgValue* r, int, ArgValue* args) { SetText(r, conv::ToText(ConvValue(args[0]))); }

// ---- 21 RightText(text, count) ----
void IMPRINTA_CDECL RightText(ArgValue* r, int, ArgValue* args) {
    const char* text = TextArg(args[0]);
    auto n = static_cast<int32_t>(args[1].low);
    if (n <= 0) return;
    auto length = static_cast<int32_t>(strlen(text));
    if (n > length) n = length;
    r->low = Word(CopyTextN(text + length - n, n));
}

// ---- 22 SplitText(text, optional separator, optional maximum) ----
void IMPRINTA_CDECL SplitText(ArgValue* r, int count, ArgValue* args) {
    const char* separator = Given(count, args, 1) ? TextArg(args[1]) : ",";
    int64_t maximum = -1;
    if (Given(count, args, 2)) maximum = static_cast<int32_t>(args[2].low) < 0 ? 0 : args[2].low;
    auto pieces = ops::SplitPieces(TextArg(args[0]), separator, maximum);
    void* array = MakeArray(4, static_cast<uint32_t>(pieces.size()));
    auto* items = reinterpret_cast<uint32_t*>(ArrayElements(array));
    for (size_t i = 0; i < pieces.size(); ++i) items[i] = Word(CopyText(std::string_view(pieces[i])));
    r->low = Word(array);
}

// ---- 23 IntegerDivide(a, b, ...) ----
void IMPRINTA_CDECL IntegerDivide(ArgValue* r, int count, ArgValue* args) {
    double x = DoubleArg(args[0]);
    for (int i = 1; i < count; ++i) {
        double y = DoubleArg(args[i]);
        if (y == 0.0) Fatal("不能整除于零");
        x = ops::TruncatedQuotient(x, y);
    }
    SetDouble(r, x);
}

// ---- 24 ToUpper(text) ----
void IMPRINTA_CDECL ToUpper(ArgValue* r, int, ArgValue* args) { SetText(r, ops::UpperAscii(TextArg(args[0]))); }

// Next character of an ANSI text as one unit: a double-byte character as
// (lead << 8) | trail, a single byte as itself.
uint32_t NextUnit(const uint8_t*& p) {
    uint32_t b = *p;
    if (b == 0) return 0;
    ++p;
    if (IsDBCSLeadByte(static_cast<BYTE>(b)) && *p != 0) return (b << 8) | *p++;
    return b;
}

uint32_t FoldCase(uint32_t unit) { return unit >= 'A' && unit <= 'Z' ? unit + 32 : unit; }

// ---- 25 CompareText(a, b, case-sensitive) ----
void IMPRINTA_CDECL CompareText(ArgValue* r, int count, ArgValue* args) {
    bool caseSensitive = count > 2 && args[2].low != 0;
    auto a = reinterpret_cast<const uint8_t*>(TextArg(args[0]));
    auto b = reinterpret_cast<const uint8_t*>(TextArg(args[1]));
    int32_t result = 0;
    for (;;) {
        uint32_t ua = NextUnit(a), ub = NextUnit(b);
        if (!caseSensitive) {
            ua = FoldCase(ua);
            ub = FoldCase(ub);
        }
        if (ua != ub) {
            result = ua < ub ? -1 : 1;
            break;
        }
        if (ua == 0) break;
    }
    r->low = static_cast<uint32_t>(result);
}

// ---- 26 ProcessEvents() ----
void IMPRINTA_CDECL ProcessEvents(ArgValue*, int, ArgValue*) { Notify(kNotifyPumpMessages); }

// ---- 27 PointerToBytes(address, length) ----
void IMPRINTA_CDECL PointerToBytes(ArgValue* r, int, ArgValue* args) {
    auto length = static_cast<int32_t>(args[1].low);
    if (length > 0 && args[0].low != 0) SetBytes(r, Ptr(args[0].low), static_cast<uint32_t>(length));
}

// ---- 28 BitAnd(a, b, ...) ----
void IMPRINTA_CDECL BitAnd(ArgValue* r, int count, ArgValue* args) {
    uint32_t value = count > 0 ? args[0].low : 0;
    for (int i = 1; i < count; ++i) value &= args[i].low;
    r->low = value;
}

// ---- 29 WriteIniItem(file, section, optional key, optional value) ----
void IMPRINTA_CDECL WriteIniItem(ArgValue* r, int count, ArgValue* args) {
    const char* key = Given(count, args, 2) ? TextArg(args[2]) : nullptr;
    const char* value = Given(count, args, 3) ? TextArg(args[3]) : nullptr;
    r->low = WritePrivateProfileStringA(TextArg(args[1]), key, value, TextArg(args[0])) ? 1 : 0;
}

}  // namespace

extern "C" const CommandEntry CoreCommands[kCoreCommandCount] = {
    /* 0 */ ReadFileBytes,
    /* 1 */ ComboBoxItemText,
    /* 2 */ ToInteger,
    /* 3 */ BytesLength,
    /* 4 */ ToBytes,
    /* 5 */ BytesGetData,
    /* 6 */ BlankBytes,
    /* 7 */ RunDirectory,
    /* 8 */ ReadIniItem,
    /* 9 */ MakeDirectory,
    /* 10 */ ComboBoxAddItem,
    /* 11 */ FileExists,
    /* 12 */ WriteBytesToFile,
    /* 13 */ ChangeFileAttributes,
    /* 14 */ ComboBoxItemData,
    /* 15 */ RoundDown,
    /* 16 */ SeedRandom,
    /* 17 */ RandomNumber,
    /* 18 */ MakeShort,
    /* 19 */ LoadPicture,
    /* 20 */ ToText,
    /* 21 */ RightText,
    /* 22 */ SplitText,
    /* 23 */ IntegerDivide,
    /* 24 */ ToUpper,
    /* 25 */ CompareText,
    /* 26 */ ProcessEvents,
    /* 27 */ PointerToBytes,
    /* 28 */ BitAnd,
    /* 29 */ WriteIniItem,
};
