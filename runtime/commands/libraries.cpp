// The library info blocks of the seven libraries, in library-table order.
#include <algorithm>
#include <iterator>
#include <string>
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

constexpr LibraryInfo CoreLibrary =
    MakeLibrary("4A6F8C21D3B5E7091F2A4C6E8B0D1357", "系统核心支持库", kCoreLibraryTypeCount, CoreLibraryTypes,
                kCoreCommandCount, CoreCommands, LibraryNotify);
constexpr LibraryInfo RegexLibrary =
    MakeLibrary("8E1C5A3F7B9D2046C8E0A2B4D6F81357", "正则表达式支持库", kRegexLibraryTypeCount, RegexLibraryTypes,
                kRegexCommandCount, RegexCommands, LibraryNotify);
constexpr LibraryInfo ApplicationInterfaceLibrary =
    MakeLibrary("2B7D9F1E3C5A4086E2C4A6B8D0F29753", "应用接口支持库", std::size(kApplicationInterfaceTypes),
                kApplicationInterfaceTypes, kApplicationInterfaceCommandCount, ApplicationInterfaceCommands,
                LibraryNotify);
constexpr LibraryInfo ExtendedInterfaceLibrary =
    MakeLibrary("6C3E5A7B9D1F2048A4C6E8B0D2F41357", "扩展界面支持库", kExtendedInterfaceTypeCount,
                ExtendedInterfaceTypes, 0, nullptr, nullptr);
constexpr LibraryInfo OperatingSystemLibrary =
    MakeLibrary("9F2B4D6E8A1C3057B9D1F3A5C7E92468", "操作系统界面功能支持库", 0, nullptr,
                kOperatingSystemCommandCount, OperatingSystemCommands, LibraryNotify, OperatingSystemCommandInfo,
                kShellOperationCount, ShellOperationConstants);
constexpr LibraryInfo SpecialFunctionsLibrary =
    MakeLibrary("1D8F3B5C7E9A2046D0F2B4C6E8A13579", "特殊功能支持库", 0, nullptr, 0, nullptr, nullptr);
constexpr LibraryInfo MultithreadLibrary =
    MakeLibrary("5E9A1C3D7F2B4068E6A8C0D2F4B61357", "多线程支持库", 0, nullptr, 0, nullptr, nullptr);

constexpr const LibraryInfo* LibraryTable[kLibraryCount] = {
    &CoreLibrary,           &RegexLibrary,     &ApplicationInterfaceLibrary, &ExtendedInterfaceLibrary,
    &OperatingSystemLibrary, &SpecialFunctionsLibrary, &MultithreadLibrary,
};
}

namespace {

constexpr bool WellFormed(const LibraryInfo* library) {
    return library->signature == kLibrarySignature && std::char_traits<char>::length(library->identifier) == 32;
}

// Library positions name the table's order; every library carries its own tables.
static_assert(LibraryTable[kLibCore] == &CoreLibrary && LibraryTable[kLibRegex] == &RegexLibrary &&
              LibraryTable[kLibApplicationInterface] == &ApplicationInterfaceLibrary &&
              LibraryTable[kLibExtendedInterface] == &ExtendedInterfaceLibrary &&
              LibraryTable[kLibOperatingSystem] == &OperatingSystemLibrary &&
              LibraryTable[kLibSpecialFunctions] == &SpecialFunctionsLibrary &&
              LibraryTable[kLibMultithread] == &MultithreadLibrary);
static_assert(std::all_of(std::begin(LibraryTable), std::end(LibraryTable), WellFormed));
static_assert(CoreLibrary.commands == CoreCommands && CoreLibrary.commandCount == kCoreCommandCount &&
              CoreLibrary.types == CoreLibraryTypes && CoreLibrary.typeCount == kCoreLibraryTypeCount);
static_assert(RegexLibrary.commands == RegexCommands && RegexLibrary.commandCount == kRegexCommandCount &&
              RegexLibrary.types == RegexLibraryTypes && RegexLibrary.typeCount == kRegexLibraryTypeCount);
static_assert(ApplicationInterfaceLibrary.commands == ApplicationInterfaceCommands &&
              ApplicationInterfaceLibrary.commandCount == kApplicationInterfaceCommandCount &&
              ApplicationInterfaceLibrary.typeCount == std::size(kApplicationInterfaceTypes));
static_assert(ExtendedInterfaceLibrary.types == ExtendedInterfaceTypes &&
              ExtendedInterfaceLibrary.typeCount == kExtendedInterfaceTypeCount &&
              ExtendedInterfaceLibrary.commandCount == 0);
static_assert(OperatingSystemLibrary.commands == OperatingSystemCommands &&
              OperatingSystemLibrary.commandCount == kOperatingSystemCommandCount);

}  // namespace
