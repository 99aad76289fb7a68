// The one way the window tells a person that something did not work: what was
// being done, the file or folder, and the reason, in plain words, in a box of
// its own ("未能完成"), once. The batch job gathers its failures and says them
// in one summary at the end.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace app {

extern const char kFailureCaption[];
extern const char kDoneCaption[];

// A message in the program's own box, sized to its text (GBK): MB_OK or
// MB_OKCANCEL with MB_ICONWARNING or MB_ICONINFORMATION. IDOK or IDCANCEL, or
// kMessageExtraButton for a third button before 确定 when one is named.
constexpr int kMessageExtraButton = 100;
int ShowMessage(const std::string& gbk, const std::string& caption, unsigned type, const std::string& extraButton = "");

// "<action>: <path>\r\n原因: <reason>" (GBK).
std::string FailureText(const std::string& action, const std::string& path, uint32_t error);
void ShowFailure(const std::string& text);
// A failure with a choice: true for OK (go on), false for Cancel.
bool AskAfterFailure(const std::string& text);
// Something the person should know that is no failure, said once ("提示").
extern const char kNoteCaption[];
void ShowNote(const std::string& text);
inline void ReportFailure(const std::string& action, const std::string& path, uint32_t error) {
    ShowFailure(FailureText(action, path, error));
}

// What a batch did: counts and the first few reasons, in the words of the summary.
class BatchTally {
public:
    void Written() { ++written_; }
    void Skipped(int32_t count, const std::string& why);
    void Failed(const std::string& name, uint32_t error);
    // Written, but not as it should be: said in the summary, counted nowhere.
    void Noted(const std::string& why);
    // Stopped on request with count posters not made.
    void Stopped(int32_t count) { stopped_ = true, left_ = count; }
    int32_t written() const { return written_; }
    bool AllWell() const { return skipped_ == 0 && failed_ == 0 && !stopped_ && !noted_ && listed_ == 0; }
    // "写出 N 张, 跳过 M 张, 失败 K 张", whether it was stopped, and the first
    // reasons, one a line; how many more there were, when not all are listed.
    std::string Summary() const;

private:
    static constexpr size_t kReasonsShown = 5;
    int32_t written_ = 0, skipped_ = 0, failed_ = 0, left_ = 0;
    size_t listed_ = 0;  // reasons given, listed or not
    bool stopped_ = false, noted_ = false;
    std::vector<std::string> reasons_;
};

// The end of a batch, always said: "<action>: <summary>" and where the files
// went, in an information box titled "完成" when every poster was written,
// else as a failure (warning, "未能完成").
void ShowBatchEnd(const std::string& action, const BatchTally& tally, const std::string& folder);

}  // namespace app
