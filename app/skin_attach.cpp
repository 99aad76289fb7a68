#include "app/skin_attach.h"
#include <string>
#include "app/resources/stored_resources.h"
#include "app/runtime_calls.h"

namespace app {

namespace {

const char kEmptyText[] = "";

std::string SkinLibraryPath() { return RunDirectoryPath("/SkinH_QX.dll"); }

}  // namespace

void ExtractSkinLibrary() {
    std::string path = SkinLibraryPath();
    if (FileExists(path.c_str())) return;
    WriteBytesToFile(path.c_str(), SkinLibraryImage);
    ChangeFileAttributes(path.c_str(), 2);  // hidden
}

void AttachSkin(const void* skinResource, int32_t first, int32_t second, int32_t third) {
    std::string path = SkinLibraryPath();
    if (!FileExists(path.c_str())) ExtractSkinLibrary();
    // A folder the library cannot be written to would make the DLL command's
    // first call a fatal error; the skin is optional, so go without it.
    if (!FileExists(path.c_str())) return;
    Dll(kDllSkinAttachRes, {PtrWord(ByteSetData(skinResource)), BytesLength(skinResource), PtrWord(kEmptyText),
                            static_cast<uint32_t>(first), static_cast<uint32_t>(second),
                            static_cast<uint32_t>(third)});
}

}  // namespace app
