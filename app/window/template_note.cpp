#include "app/window/template_note.h"
#include "app/forms/main_window_units.h"
#include "app/platform/file_io.h"
#include "app/platform/runtime_calls.h"
#include "app/window/program_state.h"
#include "app/window/unit_access.h"

namespace app {

namespace {

std::string g_gone;     // the kept template that has gone: the note
std::string g_goneKept;  // and its path
std::string g_problem;  // why the box's path gives no picture
std::string g_caption = mainwindow::kSettingsGroupCaption;

// The file's own name: the box below shows where it was looked for.
std::string NameOf(const std::string& path) {
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

void Show() {
    if (MainWindowClosing) return;
    const std::string& note = g_gone.empty() ? g_problem : g_gone;
    const std::string caption = note.empty() ? std::string(mainwindow::kSettingsGroupCaption)
                                             : std::string(mainwindow::kSettingsGroupCaption) + " — " + note;
    if (caption == g_caption) return;
    g_caption = caption;
    SetProperty(kMainWindow, mainwindow::kSettingsGroup, mainwindow::kGroupBoxCaption, PtrWord(g_caption.c_str()));
}

}  // namespace

void NoteKeptTemplateGone(const std::string& kept, const std::string& shown) {
    g_goneKept = kept;
    g_gone = "上次的模板 " + NameOf(kept) + " 已不存在, 用回 " + shown;
    Show();
}

void NoteTemplateBoxChanged() {
    if (g_gone.empty()) return;
    g_gone.clear();
    g_goneKept.clear();
    Show();
}

const std::string& GoneKeptTemplate() { return g_goneKept; }

void NoteTemplateRead(const std::string& path, uint32_t error) {
    if (!error)
        g_problem.clear();
    else if (path.empty())
        g_problem = "没有填写模板文件";
    else
        g_problem = "模板读不到: " + ReasonText(error);
    Show();
}

}  // namespace app
