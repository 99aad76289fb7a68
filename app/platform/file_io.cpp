#include "app/platform/file_io.h"
#include <windows.h>
#include <algorithm>
#include "app/platform/runtime_calls.h"
#include "runtime/core/blocks.h"

namespace app {

namespace {

constexpr UINT kCodePageGbk = 936;

struct Reason {
    uint32_t error;
    const char* text;
};
const Reason kReasons[] = {
    {ERROR_DISK_FULL, "磁盘已满"},
    {ERROR_HANDLE_DISK_FULL, "磁盘已满"},
    {ERROR_ACCESS_DENIED, "拒绝访问 (文件夹只读或没有权限)"},
    {ERROR_WRITE_PROTECT, "磁盘写保护"},
    {ERROR_SHARING_VIOLATION, "文件正被其他程序使用"},
    {ERROR_LOCK_VIOLATION, "文件正被其他程序使用"},
    {ERROR_FILE_NOT_FOUND, "文件不存在"},
    {ERROR_PATH_NOT_FOUND, "文件夹不存在"},
    {ERROR_FILENAME_EXCED_RANGE, "路径太长"},
    {ERROR_INVALID_NAME, "名称不受支持"},
    {ERROR_BAD_PATHNAME, "名称不受支持"},
    {ERROR_DIRECTORY, "名称不受支持"},
    {ERROR_NOT_ENOUGH_MEMORY, "内存不足"},
    {ERROR_OUTOFMEMORY, "内存不足"},
    {kErrorNotPicture, "不是能读的图片 (文件损坏或格式不支持)"},
    {kErrorNothingToWrite, "没有可保存的图片"},
    {kErrorNameNotSupported, "名称里有本程序不支持的字符"},
    {kErrorNotText, "不是文本文件 (或编码无法识别)"},
};

}  // namespace

std::wstring WideText(const std::string& gbk) {
    int n = MultiByteToWideChar(kCodePageGbk, 0, gbk.data(), static_cast<int>(gbk.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) MultiByteToWideChar(kCodePageGbk, 0, gbk.data(), static_cast<int>(gbk.size()), out.data(), n);
    return out;
}

namespace {

// The error of a failed step, never 0 (some failures leave none set).
uint32_t LastError() {
    DWORD e = GetLastError();
    return e ? e : ERROR_WRITE_FAULT;
}

uint32_t WriteAll(HANDLE file, const void* data, size_t size) {
    const auto* p = static_cast<const uint8_t*>(data);
    while (size > 0) {
        DWORD chunk = size > (1u << 24) ? (1u << 24) : static_cast<DWORD>(size), written = 0;
        if (!WriteFile(file, p, chunk, &written, nullptr)) return LastError();
        if (written == 0) return ERROR_DISK_FULL;
        p += written;
        size -= written;
    }
    return FlushFileBuffers(file) ? 0 : LastError();
}

}  // namespace

std::wstring WidePath(const std::string& gbk) {
    std::wstring wide = WideText(gbk);
    for (wchar_t& c : wide)
        if (c == L'/') c = L'\\';
    if (wide.size() < MAX_PATH - 12 || wide.rfind(L"\\\\?\\", 0) == 0) return wide;
    if (wide.size() > 2 && wide[1] == L':' && wide[2] == L'\\') return L"\\\\?\\" + wide;
    if (wide.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + wide.substr(2);
    return wide;
}

// Checked by the round trip: the default-character flag is not reported for
// every code page.
bool GbkName(const std::wstring& wide, std::string* gbk) {
    int n = WideCharToMultiByte(kCodePageGbk, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    gbk->assign(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0)
        WideCharToMultiByte(kCodePageGbk, 0, wide.data(), static_cast<int>(wide.size()), gbk->data(), n, nullptr, nullptr);
    return WideText(*gbk) == wide;
}

uint32_t WriteWholeFile(const std::string& path, const void* data, size_t size) {
    if (path.empty()) return ERROR_INVALID_NAME;
    const std::wstring target = WidePath(path);
    // The temporary name ends in no picture extension, so no listing of
    // templates or outputs ever takes it for a result.
    const std::wstring partial = target + L".part";
    HANDLE file = CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return LastError();
    uint32_t error = WriteAll(file, data, size);
    CloseHandle(file);
    if (!error && !MoveFileExW(partial.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        error = LastError();
    if (error) DeleteFileW(partial.c_str());
    return error;
}

uint32_t WriteByteSetFile(const std::string& path, const void* byteSet) {
    if (!byteSet || ByteSetLength(byteSet) == 0) return kErrorNothingToWrite;
    return WriteWholeFile(path, ByteSetData(const_cast<void*>(byteSet)), ByteSetLength(byteSet));
}

bool PathExists(const std::string& path) {
    return !path.empty() && GetFileAttributesW(WidePath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

namespace {

FileBytes ReadUpTo(const std::string& path, uint64_t most) {
    FileBytes r;
    if (path.empty()) {
        r.error = ERROR_FILE_NOT_FOUND;
        return r;
    }
    HANDLE file = CreateFileW(WidePath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        r.error = LastError();
        return r;
    }
    LARGE_INTEGER size = {};
    const bool sized = GetFileSizeEx(file, &size);
    const uint64_t wanted = std::min<uint64_t>(uint64_t(size.QuadPart), most);
    if (!sized || wanted > 0x7FFFFFFF) {
        r.error = sized ? ERROR_NOT_ENOUGH_MEMORY : LastError();
    } else {
        try {
            r.bytes.resize(static_cast<size_t>(wanted));
            DWORD got = 0;
            if (!r.bytes.empty() && (!ReadFile(file, r.bytes.data(), static_cast<DWORD>(r.bytes.size()), &got, nullptr) ||
                                     got != r.bytes.size()))
                r.error = LastError();
        } catch (const std::bad_alloc&) {
            r.error = ERROR_NOT_ENOUGH_MEMORY;
        }
    }
    CloseHandle(file);
    if (r.error) r.bytes.clear();
    return r;
}

}  // namespace

FileBytes ReadWholeFile(const std::string& path) { return ReadUpTo(path, UINT64_MAX); }

FileBytes ReadFileStart(const std::string& path, size_t count) { return ReadUpTo(path, count); }

void* ReadByteSetFile(const std::string& path, uint32_t* error) {
    FileBytes f = ReadWholeFile(path);
    *error = f.error;
    if (f.error) return nullptr;
    return imprinta::MakeByteSet(f.bytes);
}

FileStamp StampOf(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA file = {};
    if (path.empty() || !GetFileAttributesExW(WidePath(path).c_str(), GetFileExInfoStandard, &file)) return {};
    return {true, uint64_t(file.ftLastWriteTime.dwHighDateTime) << 32 | file.ftLastWriteTime.dwLowDateTime,
            uint64_t(file.nFileSizeHigh) << 32 | file.nFileSizeLow};
}

const void* KeptFile::Read(const std::string& path, uint32_t* error) {
    const FileStamp stamp = StampOf(path);
    *error = 0;
    if (stamp.found && bytes_ && path == path_ && stamp == stamp_) return bytes_;
    Forget();
    bytes_ = ReadByteSetFile(path, error);
    // Kept only when it was read as the file the stamp describes.
    if (bytes_ && stamp.found && BytesLength(bytes_) == stamp.size) {
        path_ = path;
        stamp_ = stamp;
    }
    return bytes_;
}

void KeptFile::Forget() {
    Free(bytes_);
    bytes_ = nullptr;
    path_.clear();
}

std::string ReasonText(uint32_t error) {
    for (const Reason& r : kReasons)
        if (r.error == error) return r.text;
    return "系统错误 " + std::to_string(error);
}

}  // namespace app
