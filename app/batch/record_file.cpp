#include "app/batch/record_file.h"
#include "app/platform/file_io.h"

namespace app {

namespace {

constexpr UINT kCodePageGbk = 936;
const char kUtf8Mark[] = "\xEF\xBB\xBF";

std::string Convert(const std::string& text, UINT from, UINT to) {
    const int n = MultiByteToWideChar(from, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (n <= 0) return "";
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(from, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
    const int m = WideCharToMultiByte(to, 0, wide.data(), n, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(m > 0 ? m : 0), '\0');
    if (m > 0) WideCharToMultiByte(to, 0, wide.data(), n, out.data(), m, nullptr, nullptr);
    return out;
}

// Whether the file's last byte ends a line: a line cut off by a stop is closed
// before the next is added, so it spoils no other.
bool EndsWithLineBreak(HANDLE file) {
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size) || size.QuadPart == 0) return true;
    LARGE_INTEGER last{};
    last.QuadPart = size.QuadPart - 1;
    char c = 0;
    DWORD got = 0;
    SetFilePointerEx(file, last, nullptr, FILE_BEGIN);
    const bool ends = ReadFile(file, &c, 1, &got, nullptr) && got == 1 && c == '\n';
    SetFilePointerEx(file, LARGE_INTEGER{}, nullptr, FILE_END);
    return ends;
}

}  // namespace

RecordFile::RecordFile(const std::string& path, bool append) {
    file_ = CreateFileW(WidePath(path).c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                        append ? OPEN_ALWAYS : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (!ok()) return;
    LARGE_INTEGER size{};
    GetFileSizeEx(file_, &size);
    if (size.QuadPart == 0) {
        DWORD written = 0;
        WriteFile(file_, kUtf8Mark, 3, &written, nullptr);
        Put(RecordHeader());
    } else if (!EndsWithLineBreak(file_)) {
        Put("\r\n");
    }
}

RecordFile::~RecordFile() {
    if (ok()) CloseHandle(file_);
}

void RecordFile::Put(const std::string& gbk) {
    const std::string utf8 = Convert(gbk, kCodePageGbk, CP_UTF8);
    DWORD written = 0;
    WriteFile(file_, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
}

void RecordFile::Add(const RecordEntry& entry) {
    if (ok()) Put(RecordLine(entry));
}

RecordedRun ReadRecordFile(const std::string& path) {
    FileBytes file = ReadWholeFile(path);
    if (file.error) return {};
    std::string utf8(file.bytes.begin(), file.bytes.end());
    if (utf8.rfind(kUtf8Mark, 0) == 0) utf8.erase(0, 3);
    return SummariseRecord(ParseRecord(Convert(utf8, CP_UTF8, kCodePageGbk)));
}

}  // namespace app
