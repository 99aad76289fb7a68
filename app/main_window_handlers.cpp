// The preview, export, open, tutorial and watermark handlers.
#include "app/main_window_handlers.h"
#include <string>
#include "app/program_state.h"
#include "app/renderer.h"
#include "app/runtime_calls.h"
#include "app/tutorial_page.h"
#include "app/unit_access.h"

namespace app {

using namespace mainwindow;

const char kExportFileName[] = "\\公众号Brightquill 关注获取更多项目和软件.png";
const char kTutorialFileName[] = "\\tutorial.html";

namespace {

struct PassUnits {
    uint32_t font, size, x, y, colour, text;
};
constexpr PassUnits kTitleUnits = {kTitleFont, kTitleSize, kTitleX, kTitleY, kTitleColour, kTitleText};
constexpr PassUnits kBodyUnits = {kBodyFont, kBodySize, kBodyX, kBodyY, kBodyColour, kBodyText};

}  // namespace

void* DrawPass(const void* picture, TextPass pass, ResultUse use) {
    const PassUnits& u = pass == TextPass::Title ? kTitleUnits : kBodyUnits;
    Block font(ComboItemText(u.font, ComboListIndex(u.font)));
    int32_t size = EditNumber(u.size);
    int32_t x = EditNumber(u.x);
    int32_t y = EditNumber(u.y);
    uint32_t colour = PickedColour(u.colour);
    Block text(EditContent(u.text));
    return DrawTextOnPicture(picture, font.text(), size, colour, kFontStyleBold, 255, kTextRenderingHintAntiAlias,
                             text.text(), x, y, use);
}

namespace {
int g_refreshHolds = 0;
bool g_refreshAsked = false;
}  // namespace

PreviewRefreshHold::PreviewRefreshHold() { ++g_refreshHolds; }

PreviewRefreshHold::~PreviewRefreshHold() {
    if (--g_refreshHolds > 0 || !g_refreshAsked) return;
    g_refreshAsked = false;
    RefreshPreview(nullptr);
}

}  // namespace app

using namespace app;
using namespace mainwindow;

extern "C" void IMPRINTA_CDECL RefreshPreview(EventResultSlot*) {
    if (g_refreshHolds > 0) {
        g_refreshAsked = true;
        return;
    }
    Block path(EditContent(kTemplatePath));
    Block bytes(ReadFileBytes(path.text()));
    ReplaceCurrentPicture(DrawPass(bytes.get(), TextPass::Title, ResultUse::ReadBackAtOnce));
    ReplaceCurrentPicture(DrawPass(CurrentPicture, TextPass::Body, ResultUse::Shown));
    ShowPicture(kPreviewBox, CurrentPicture);
}

extern "C" void IMPRINTA_CDECL ExportPicture(EventResultSlot*) {
    // An empty picture would replace the last good export with a zero-byte file.
    if (!CurrentPicture) return;
    std::string file = RunDirectoryPath(kExportFileName);
    // The preview is compressed for speed; the file gets the same pixels packed harder.
    Block kept(RecompressForKeeping(CurrentPicture));
    CallCore(kCmdWriteBytesToFile, {ArgText(file.c_str()), ArgBytes(kept.get() ? kept.get() : CurrentPicture)});
}

extern "C" void IMPRINTA_CDECL OpenExportedPicture(EventResultSlot*) {
    std::string file = RunDirectoryPath(kExportFileName);
    ShellOpen(file.c_str());
}

extern "C" void IMPRINTA_CDECL OpenTutorial(EventResultSlot*) {
    WriteTutorialPageIfMissing(kTutorialFileName);
    std::string page = RunDirectoryPath(kTutorialFileName);
    OpenWebPage(page.c_str());
}

extern "C" void IMPRINTA_CDECL AddPictureWatermark(EventResultSlot*) {
    Block basePath(EditContent(kTemplatePath));
    Block markPath(EditContent(kWatermarkPath));
    Block base(ReadFileBytes(basePath.text()));
    Block mark(ReadFileBytes(markPath.text()));
    int32_t position = ComboItemData(kWatermarkPosition, ComboListIndex(kWatermarkPosition));
    int32_t x = EditNumber(kWatermarkX);
    int32_t y = EditNumber(kWatermarkY);
    int32_t shrink = EditNumber(kWatermarkShrink);
    int32_t count = EditNumber(kWatermarkCount);
    int32_t flip = ComboItemData(kWatermarkFlip, ComboListIndex(kWatermarkFlip));
    ReplaceCurrentPicture(ComposeWatermark(base.get(), mark.get(), position, x, y, shrink, count, flip));
    ShowPicture(kPreviewBox, CurrentPicture);
}
