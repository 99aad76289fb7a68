// The preview, export, open, tutorial and watermark handlers.
#include "app/main_window_handlers.h"
#include <string>
#include "app/program_state.h"
#include "app/renderer.h"
#include "app/runtime_calls.h"
#include "app/settings.h"
#include "app/tutorial_page.h"
#include "app/unit_access.h"
#include "runtime/base/allocation_failure.h"
#include "runtime/core/blocks.h"

namespace app {

using namespace mainwindow;

const char kExportFileName[] = "\\公众号Brightquill 关注获取更多项目和软件.png";
const char kTutorialFileName[] = "\\tutorial.html";

namespace {

// The export file's name with the extension of the output format.
std::string ExportFilePath(FileFormat kind) {
    std::string path = RunDirectoryPath(kExportFileName);
    return path.substr(0, path.size() - 4) + ExtensionOf(kind);
}

struct PassUnits {
    uint32_t font, size, x, y, colour, text;
};
constexpr PassUnits kTitleUnits = {kTitleFont, kTitleSize, kTitleX, kTitleY, kTitleColour, kTitleText};
constexpr PassUnits kBodyUnits = {kBodyFont, kBodySize, kBodyX, kBodyY, kBodyColour, kBodyText};

}  // namespace

namespace {

// One pass's settings, read from its units.
struct PassSettings {
    Block font, text;
    int32_t size, x, y;
    uint32_t colour;
};

void ReadPass(TextPass pass, PassSettings& s) {
    const PassUnits& u = pass == TextPass::Title ? kTitleUnits : kBodyUnits;
    s.font.reset(ComboItemText(u.font, ComboListIndex(u.font)));
    s.size = EditNumber(u.size);
    s.x = EditNumber(u.x);
    s.y = EditNumber(u.y);
    s.colour = PickedColour(u.colour);
    s.text.reset(EditContent(u.text));
}

}  // namespace

void* DrawPass(const void* picture, TextPass pass, ResultUse use) {
    PassSettings s;
    ReadPass(pass, s);
    return DrawTextOnPicture(picture, s.font.text(), s.size, s.colour, kFontStyleBold, 255,
                             kTextRenderingHintAntiAlias, s.text.text(), s.x, s.y, use);
}

void DrawPassOn(Composition& picture, TextPass pass, const char* text) {
    PassSettings s;
    ReadPass(pass, s);
    picture.Stamp(s.font.text(), s.size, s.colour, kFontStyleBold, 255, kTextRenderingHintAntiAlias,
                     text ? text : s.text.text(), s.x, s.y);
}

namespace {
int g_refreshHolds = 0;
bool g_refreshAsked = false;
}  // namespace

PreviewRefreshHold::PreviewRefreshHold() { ++g_refreshHolds; }

PreviewRefreshHold::~PreviewRefreshHold() {
    if (--g_refreshHolds > 0 || !g_refreshAsked) return;
    g_refreshAsked = false;
    // A destructor must not let the refresh's bad_alloc out (that would be
    // terminate()): it becomes the out-of-memory report here.
    imprinta::FatalOnBadAlloc([] { RefreshPreview(nullptr); });
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
    // Title, then body, each read just before it is drawn; the title-only
    // picture between them could be seen by nobody (no message is handled in
    // between), so it is never encoded.
    Composition picture(bytes.get());
    DrawPassOn(picture, TextPass::Title);
    DrawPassOn(picture, TextPass::Body);
    ReplaceCurrentPicture(picture.Finish(ResultUse::Shown));
    ShowPicture(kPreviewBox, CurrentPicture);
}

extern "C" void IMPRINTA_CDECL ExportPicture(EventResultSlot*) {
    // An empty picture would replace the last good export with a zero-byte file.
    if (!CurrentPicture) return;
    const OutputFormat format = CurrentOutputFormat();
    std::string file = ExportFilePath(format.kind);
    // The preview is compressed for speed; the file gets the same pixels packed harder.
    Block kept;
    if (format.kind == FileFormat::Jpeg) {
        std::vector<uint8_t> jpeg = EncodeResultAs(CurrentPicture, format);
        if (jpeg.empty()) return;  // never PNG bytes under the .jpg name
        kept.reset(imprinta::MakeByteSet(jpeg));
    } else {
        kept.reset(RecompressForKeeping(CurrentPicture));
    }
    CallCore(kCmdWriteBytesToFile, {ArgText(file.c_str()), ArgBytes(kept.get() ? kept.get() : CurrentPicture)});
}

extern "C" void IMPRINTA_CDECL OpenExportedPicture(EventResultSlot*) {
    std::string file = ExportFilePath(CurrentOutputFormat().kind);
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
