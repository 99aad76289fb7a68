#include "app/platform/failure_report.h"
#include <windows.h>
#include "app/platform/file_io.h"

namespace app {

const char kFailureCaption[] = "未能完成";

std::string FailureText(const std::string& action, const std::string& path, uint32_t error) {
    return action + ": " + path + "\r\n原因: " + ReasonText(error);
}

void ShowFailure(const std::string& text) {
    // Owned by the active window (the main window while it is up), so the box
    // stays in front of it and keeps it waiting until answered.
    MessageBoxW(GetActiveWindow(), WideText(text).c_str(), WideText(kFailureCaption).c_str(),
                MB_OK | MB_ICONWARNING);
}

void BatchTally::Skipped(int32_t count, const std::string& why) {
    skipped_ += count;
    if (reasons_.size() < kReasonsShown) reasons_.push_back(why);
}

void BatchTally::Failed(const std::string& name, uint32_t error) {
    ++failed_;
    if (reasons_.size() < kReasonsShown) reasons_.push_back(name + ": " + ReasonText(error));
}

void BatchTally::Noted(const std::string& why) {
    noted_ = true;
    if (reasons_.size() < kReasonsShown) reasons_.push_back(why);
}

std::string BatchTally::Summary() const {
    std::string text = "写出 " + std::to_string(written_) + " 张, 跳过 " + std::to_string(skipped_) + " 张, 失败 " +
                       std::to_string(failed_) + " 张";
    if (stopped_) text += "\r\n已按要求停止, 还有 " + std::to_string(left_) + " 张没有做";
    for (const std::string& r : reasons_) text += "\r\n" + r;
    if (static_cast<size_t>(skipped_ + failed_) > reasons_.size()) text += "\r\n…";
    return text;
}

}  // namespace app
