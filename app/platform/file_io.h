// The program's own file reading and writing. Paths are GBK texts as the
// window's boxes hold them; they are opened through the wide-character
// functions, with the long-path prefix when they are longer than MAX_PATH.
// Writing never destroys a file: the bytes go under a temporary name in the
// same folder, which replaces the old file only once it is complete.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace app {

// Failures of the program's own, beside the system's error codes (the
// customer bit keeps them apart from those).
constexpr uint32_t kErrorNotPicture = 0x20000001;
constexpr uint32_t kErrorNothingToWrite = 0x20000002;
constexpr uint32_t kErrorNameNotSupported = 0x20000003;
constexpr uint32_t kErrorNotText = 0x20000004;

// GBK text as UTF-16.
std::wstring WideText(const std::string& gbk);
// The wide-character path a GBK path names (absolute paths past MAX_PATH get
// the \\?\ prefix, which also takes them past the 260-character limit).
std::wstring WidePath(const std::string& gbk);
// A wide name as GBK; false when a character of it has no GBK form.
bool GbkName(const std::wstring& wide, std::string* gbk);

// 0, or why the whole file could not be written (the old file, if any, is untouched).
uint32_t WriteWholeFile(const std::string& path, const void* data, size_t size);
uint32_t WriteByteSetFile(const std::string& path, const void* byteSet);

// Whether a file or folder of that name is there.
bool PathExists(const std::string& path);

struct FileBytes {
    std::vector<uint8_t> bytes;
    uint32_t error = 0;  // 0 when read
};
FileBytes ReadWholeFile(const std::string& path);
// The file's first `count` bytes (all of a shorter file): enough to tell a
// file is there, can be read and what it holds, without reading all of it.
FileBytes ReadFileStart(const std::string& path, size_t count);
// The same as a byte set (owned by the caller; null with *error set on failure).
void* ReadByteSetFile(const std::string& path, uint32_t* error);

// What tells one version of a file from the next without reading it: its
// last-write time and size (both 0 when it is not there).
struct FileStamp {
    bool found = false;
    uint64_t written = 0, size = 0;
    bool operator==(const FileStamp&) const = default;
};
FileStamp StampOf(const std::string& path);

// A file's bytes kept between reads, read again only when the file's time or
// size changed: the preview reads its template at every keystroke.
class KeptFile {
public:
    KeptFile() = default;
    KeptFile(const KeptFile&) = delete;
    KeptFile& operator=(const KeptFile&) = delete;
    // The bytes as a byte set (owned here, valid until the next Read or
    // Forget), or null with *error set.
    const void* Read(const std::string& path, uint32_t* error);
    void Forget();

private:
    std::string path_;
    FileStamp stamp_;
    void* bytes_ = nullptr;
};

// Why, in plain words, for a person: "磁盘已满", "拒绝访问 …".
std::string ReasonText(uint32_t error);

}  // namespace app
