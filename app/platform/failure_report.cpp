#include "app/platform/failure_report.h"
#include <windows.h>
#include "app/platform/file_io.h"
#include "app/platform/message_text.h"

namespace app {

const char kFailureCaption[] = "未能完成";
const char kDoneCaption[] = "完成";
const char kNoteCaption[] = "提示";

std::string FailureText(const std::string& action, const std::string& path, uint32_t error) {
    return action + ": " + path + "\r\n原因: " + ReasonText(error);
}

void ShowFailure(const std::string& text) {
    // Owned by the active window (the main window while it is up), so the box
    // stays in front of it and keeps it waiting until answered.
    MessageBoxW(GetActiveWindow(), WideText(FittedMessage(text)).c_str(), WideText(kFailureCaption).c_str(),
                MB_OK | MB_ICONWARNING);
}

bool AskAfterFailure(const std::string& text) {
    return MessageBoxW(GetActiveWindow(), WideText(FittedMessage(text)).c_str(), WideText(kFailureCaption).c_str(),
                       MB_OKCANCEL | MB_ICONWARNING) != IDCANCEL;
}

void ShowNote(const std::string& text) {
    MessageBoxW(GetActiveWindow(), WideText(FittedMessage(text)).c_str(), WideText(kNoteCaption).c_str(),
                MB_OK | MB_ICONINFORMATION);
}

void ShowBatchEnd(const std::string& action, const BatchTally& tally, const std::string& folder) {
    std::string text = action + ": " + tally.Summary();
    if (tally.written() > 0) text += "\r\n保存在: " + folder;
    if (!tally.AllWell()) return ShowFailure(text);
    MessageBoxW(GetActiveWindow(), WideText(FittedMessage(text)).c_str(), WideText(kDoneCaption).c_str(),
                MB_OK | MB_ICONINFORMATION);
}

void BatchTally::Skipped(int32_t count, const std::string& why) {
    skipped_ += count;
    ++listed_;
    if (reasons_.size() < kReasonsShown) reasons_.push_back(why);
}

void BatchTally::Failed(const std::string& name, uint32_t error) {
    ++failed_;
    ++listed_;
    if (reasons_.size() < kReasonsShown) reasons_.push_back(name + ": " + ReasonText(error));
}

void BatchTally::Noted(const std::string& why) {
    noted_ = true;
    ++listed_;
    if (reasons_.size() < kReasonsShown) reasons_.push_back(why);
}

std::string BatchTally::Summary() const {
    std::string text = "写出 " + std::to_string(written_) + " 张, 跳过 " + std::to_string(skipped_) + " 张, 失败 " +
                       std::to_string(failed_) + " 张";
    if (stopped_) text += "\r\n已按要求停止, 还有 " + std::to_string(left_) + " 张没有做";
    for (const std::string& r : reasons_) text += "\r\n" + r;
    if (listed_ > reasons_.size())
        text += "\r\n另有 " + std::to_string(listed_ - reasons_.size()) + " 条原因没有列出";
    return text;
}

}  // namespace app
