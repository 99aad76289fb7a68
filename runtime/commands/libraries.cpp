// The library info blocks of the seven libraries, in library-table order.
#include "runtime/commands/command_support.h"
#include "runtime/commands/commands.h"
#include "runtime/core/libraries.h"

namespace {

constexpr LibraryInfo MakeLibrary(const char* identifier, const char* displayName, uint32_t typeCount,
                                  const TypeDescriptor* types, uint32_t commandCount, const CommandEntry* commands,
                                  LibraryNotifyFn notify, const CommandInfo* commandInfo = nullptr,
                                  uint32_t constantCount = 0, const LibraryConstant* constants = nullptr) {
    LibraryInfo info{};
    info.signature = kLibrarySignature;
    info.identifier = identifier;
    info.major = 3;
    info.minor = 7;
    info.build = 1;
    info.versions[0] = 3;
    info.versions[1] = 7;
    info.versions[2] = 3;
    info.versions[3] = 7;
    info.displayName = displayName;
    info.language = 1;
    info.typeCount = typeCount;
    info.types = types;
    info.commandCount = commandCount;
    info.commands = commands;
    info.notify = notify;
    info.commandInfo = commandInfo;
    info.constantCount = constantCount;
    info.constants = constants;
    return info;
}

// The application-interface library's own data types serve none of this
// program's commands: empty records.
constexpr TypeDescriptor kApplicationInterfaceTypes[11] = {};

}  // namespace

using imprinta::cmd::LibraryNotify;

extern "C" {

const LibraryInfo CoreLibrary =
    MakeLibrary("4A6F8C21D3B5E7091F2A4C6E8B0D1357", "系统核心支持库", kCoreLibraryTypeCount, CoreLibraryTypes,
                kCoreCommandCount, CoreCommands, LibraryNotify);
const LibraryInfo RegexLibrary =
    MakeLibrary("8E1C5A3F7B9D2046C8E0A2B4D6F81357", "正则表达式支持库", kRegexLibraryTypeCount, RegexLibraryTypes,
                kRegexCommandCount, RegexCommands, LibraryNotify);
const LibraryInfo ApplicationInterfaceLibrary =
    MakeLibrary("2B7D9F1E3C5A4086E2C4A6B8D0F29753", "应用接口支持库", 11, kApplicationInterfaceTypes,
                kApplicationInterfaceCommandCount, ApplicationInterfaceCommands, LibraryNotify);
const LibraryInfo ExtendedInterfaceLibrary =
    MakeLibrary("6C3E5A7B9D1F2048A4C6E8B0D2F41357", "扩展界面支持库", kExtendedInterfaceTypeCount,
                ExtendedInterfaceTypes, 0, nullptr, nullptr);
const LibraryInfo OperatingSystemLibrary =
    MakeLibrary("9F2B4D6E8A1C3057B9D1F3A5C7E92468", "操作系统界面功能支持库", 0, nullptr,
                kOperatingSystemCommandCount, OperatingSystemCommands, LibraryNotify, OperatingSystemCommandInfo,
                kShellOperationCount, ShellOperationConstants);
const LibraryInfo SpecialFunctionsLibrary =
    MakeLibrary("1D8F3B5C7E9A2046D0F2B4C6E8A13579", "特殊功能支持库", 0, nullptr, 0, nullptr, nullptr);
const LibraryInfo MultithreadLibrary =
    MakeLibrary("5E9A1C3D7F2B4068E6A8C0D2F4B61357", "多线程支持库", 0, nullptr, 0, nullptr, nullptr);

const LibraryInfo* const LibraryTable[kLibraryCount] = {
    &CoreLibrary,           &RegexLibrary,     &ApplicationInterfaceLibrary, &ExtendedInterfaceLibrary,
    &OperatingSystemLibrary, &SpecialFunctionsLibrary, &MultithreadLibrary,
};
}
