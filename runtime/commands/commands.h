// Command numbers of the libraries the application calls, for calls such as
// CallLibraryCommand(CoreLibrary.commands[kCmdReadFileBytes], count, args).
#pragma once
#include "runtime/core/libraries.h"

enum CoreCommand : int {
    kCmdReadFileBytes = 0,
    kCmdComboBoxItemText = 1,
    kCmdToInteger = 2,
    kCmdBytesLength = 3,
    kCmdToBytes = 4,
    kCmdBytesGetData = 5,
    kCmdBlankBytes = 6,
    kCmdRunDirectory = 7,
    kCmdReadIniItem = 8,
    kCmdMakeDirectory = 9,
    kCmdComboBoxAddItem = 10,
    kCmdFileExists = 11,
    kCmdWriteBytesToFile = 12,
    kCmdChangeFileAttributes = 13,
    kCmdComboBoxItemData = 14,
    kCmdRoundDown = 15,
    kCmdSeedRandom = 16,
    kCmdRandomNumber = 17,
    kCmdMakeShort = 18,
    kCmdLoadPicture = 19,
    kCmdToText = 20,
    kCmdRightText = 21,
    kCmdSplitText = 22,
    kCmdIntegerDivide = 23,
    kCmdToUpper = 24,
    kCmdCompareText = 25,
    kCmdProcessEvents = 26,
    kCmdPointerToBytes = 27,
    kCmdBitAnd = 28,
    kCmdWriteIniItem = 29,
    kCoreCommandCount = 30,
};

// Regular-expression library (library 2).
enum RegexCommand : int {
    kCmdRegexCreate = 0,
    kCmdRegexMatch = 1,
    kCmdRegexInit = 2,
    kCmdRegexFree = 3,
    kRegexCommandCount = 4,
};
constexpr uint32_t kTypeRegex = 0x00020001;  // value: pointer to the 8-byte storage block

// Application-interface library (library 3).
enum ApplicationInterfaceCommand : int {
    kCmdFontNameList = 0,
    kCmdOpenWebPage = 1,
    kApplicationInterfaceCommandCount = 2,
};

// Operating-system interface library (library 5).
enum OperatingSystemCommand : int {
    kCmdShellExecute = 0,
    kOperatingSystemCommandCount = 1,
};
// ShellExecute's command types.
enum ShellOperation : int {
    kShellEditDocument = 1,
    kShellBrowseFolder = 2,
    kShellFindFiles = 3,
    kShellOpenFile = 4,
    kShellPrintDocument = 5,
    kShellOperationCount = 5,
};

// Library positions in the library table (0-based), as CallLibraryCommandLib takes them.
enum LibraryPosition : int {
    kLibCore = 0,
    kLibRegex = 1,
    kLibApplicationInterface = 2,
    kLibExtendedInterface = 3,
    kLibOperatingSystem = 4,
    kLibSpecialFunctions = 5,
    kLibMultithread = 6,
};

extern "C" {
extern const CommandEntry CoreCommands[kCoreCommandCount];
extern const CommandEntry RegexCommands[kRegexCommandCount];
extern const CommandEntry ApplicationInterfaceCommands[kApplicationInterfaceCommandCount];
extern const CommandEntry OperatingSystemCommands[kOperatingSystemCommandCount];
// The shell library's descriptions of its command and of the command types.
extern const CommandInfo OperatingSystemCommandInfo[kOperatingSystemCommandCount];
extern const LibraryConstant ShellOperationConstants[kShellOperationCount];
}
