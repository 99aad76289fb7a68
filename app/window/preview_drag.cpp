// Fields dragged into place on the preview. The left button takes the added
// field under the pointer (a picture's or QR code's bottom right corner
// resizes it), else the title; Shift or the right button the body. The field
// taken becomes the list's choice. The preview shows the picture whole and
// centred in its box, so mouse moves are scaled to picture pixels by the same
// placement. Moves only note the newest position; one posted message applies it,
// so however fast the mouse goes at most one refresh runs at a time and the
// last position is always drawn.
#include "app/window/window_extras.h"
#include <commctrl.h>
#include <windowsx.h>
#include <algorithm>
#include <cstdlib>
#include <cstdio>
#include "app/window/field_dialog.h"
#include "app/window/field_hit.h"
#include "app/window/field_list.h"
#include "app/window/handlers.h"
#include "app/window/preview.h"
#include "app/window/program_state.h"
#include "app/window/unit_access.h"
#include "app/window/window_poster.h"
#include "runtime/base/value.h"
#include "runtime/pictures/picture_scale.h"

namespace app {

namespace {

constexpr UINT kMsgApplyDrag = WM_APP + 0x118;
constexpr UINT kMsgOpenField = WM_APP + 0x119;  // wParam: the added field whose dialog a double-click asked for
// How many drag steps reached the boxes: a window property for those who watch.
const char kDragStepsProperty[] = "ImprintaDragSteps";
const char kPreviewHint[] =
    "在预览图上按住左键拖动可移动标题或添加的图片、二维码、文字 (拖右下角改大小)；按住 Shift 或右键拖动可移动文案";
constexpr int32_t kHandleReach = 8;  // box pixels around a corner that take a resize

struct TextBoxes {
    uint32_t x, y;
};

struct Drag {
    bool active = false;
    int field = -1;       // an added field being moved or resized (its index in the poster), else -1
    bool resize = false;  // the field's corner was taken
    PosterField startField;  // the field as the drag found it
    TextBoxes boxes = {};
    POINT start = {};           // mouse, box client pixels
    int32_t fromX = 0, fromY = 0;  // the text's position when the drag began
    int32_t scaleNum[2] = {1, 1}, scaleDen[2] = {1, 1};  // picture pixels per box pixel, x and y
    int32_t wantX = 0, wantY = 0, shownX = 0, shownY = 0;
    bool applyPosted = false;
};

WNDPROC g_previewProc = nullptr;
Drag g_drag;
LONG g_steps = 0;

// The last left press, to tell the second of a double-click: counted here, as
// the preview's class need not ask for double-clicks.
struct Press {
    bool valid = false;
    DWORD time = 0;
    POINT at = {};
};
Press g_lastPress;
bool g_secondPress = false;  // the press being dragged is the second of a double-click

bool IsSecondPress(LPARAM lp) {
    const Press now{true, static_cast<DWORD>(GetMessageTime()), {GET_X_LPARAM(lp), GET_Y_LPARAM(lp)}};
    const bool second = g_lastPress.valid && now.time - g_lastPress.time <= GetDoubleClickTime() &&
                        std::abs(now.at.x - g_lastPress.at.x) * 2 <= GetSystemMetrics(SM_CXDOUBLECLK) &&
                        std::abs(now.at.y - g_lastPress.at.y) * 2 <= GetSystemMetrics(SM_CYDOUBLECLK);
    g_lastPress = second ? Press{} : now;  // a third press begins a new pair
    return second;
}

// Width and height from a PNG's header; false for anything else.
bool PngSize(const void* byteSet, int32_t* width, int32_t* height) {
    if (ByteSetLength(byteSet) < 24) return false;
    const uint8_t* p = ByteSetData(byteSet);
    static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    for (int i = 0; i < 8; ++i)
        if (p[i] != kSignature[i]) return false;
    auto be32 = [](const uint8_t* b) { return static_cast<int32_t>((b[0] << 24) | (b[1] << 16) | (b[2] << 8) | b[3]); };
    *width = be32(p + 16);
    *height = be32(p + 20);
    return *width > 0 && *height > 0;
}

int32_t Scaled(int32_t delta, int32_t num, int32_t den) {
    int64_t v = static_cast<int64_t>(delta) * num;
    return static_cast<int32_t>(v >= 0 ? (v + den / 2) / den : -((-v + den / 2) / den));
}

void SetNumber(uint32_t box, int32_t value) {
    char text[16];
    snprintf(text, sizeof text, "%d", static_cast<int>(value));
    SetEditContent(box, text);
}

// An added field takes the drag's offset from where it was (wantX, wantY
// count from 0 for it).
void ApplyToField() {
    const size_t extra = size_t(g_drag.field) - kStandardFieldCount;
    if (extra >= ExtraFields().size()) return;
    const PosterField& start = g_drag.startField;
    ExtraFields()[extra] =
        g_drag.resize ? Resized(start, g_drag.shownX, g_drag.shownY) : Moved(start, g_drag.shownX, g_drag.shownY);
    RefreshPreview(nullptr);
}

// Writes the newest position into the boxes; the hold makes the two writes one refresh.
void ApplyWanted(HWND preview) {
    if (g_drag.wantX == g_drag.shownX && g_drag.wantY == g_drag.shownY) return;
    g_drag.shownX = g_drag.wantX;
    g_drag.shownY = g_drag.wantY;
    if (g_drag.field >= 0) {
        ApplyToField();
    } else {
        PreviewRefreshHold hold;
        SetNumber(g_drag.boxes.x, g_drag.shownX);
        SetNumber(g_drag.boxes.y, g_drag.shownY);
    }
    SetPropA(GetParent(preview), kDragStepsProperty, reinterpret_cast<HANDLE>(static_cast<intptr_t>(++g_steps)));
}

void BeginDrag(HWND preview, bool body, LPARAM lp) {
    int32_t width = 0, height = 0;
    RECT client;
    GetClientRect(preview, &client);
    if (CurrentReduction.active) width = CurrentReduction.width, height = CurrentReduction.height;
    else if (!PngSize(CurrentPicture, &width, &height)) return;
    if (client.right <= 0 || client.bottom <= 0) return;
    const imprinta::picture::FitPlace shown = imprinta::picture::FitWhole(width, height, client.right, client.bottom);
    if (shown.width <= 0 || shown.height <= 0) return;
    g_drag = Drag();
    g_drag.active = true;
    g_drag.start = {GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
    g_drag.scaleNum[0] = width;
    g_drag.scaleDen[0] = shown.width;
    g_drag.scaleNum[1] = height;
    g_drag.scaleDen[1] = shown.height;
    const FieldHit hit = body ? FieldHit{}
                              : FieldAt(WindowPoster(), Scaled(g_drag.start.x - shown.x, width, shown.width),
                                        Scaled(g_drag.start.y - shown.y, height, shown.height),
                                        std::max(Scaled(kHandleReach, width, shown.width), 1));
    if (hit.index >= int(kStandardFieldCount)) {
        g_drag.field = hit.index;
        g_drag.resize = hit.corner;
        g_drag.startField = ExtraFields()[size_t(hit.index) - kStandardFieldCount];
        SelectField(size_t(hit.index));
    } else {
        g_drag.boxes = body ? TextBoxes{mainwindow::kBodyX, mainwindow::kBodyY}
                            : TextBoxes{mainwindow::kTitleX, mainwindow::kTitleY};
        g_drag.fromX = g_drag.wantX = g_drag.shownX = EditNumber(g_drag.boxes.x);
        g_drag.fromY = g_drag.wantY = g_drag.shownY = EditNumber(g_drag.boxes.y);
        SelectField(body ? kBodyField : kTitleField);
    }
    SetCapture(preview);
}

void MoveDrag(HWND preview, LPARAM lp) {
    g_drag.wantX = g_drag.fromX + Scaled(GET_X_LPARAM(lp) - g_drag.start.x, g_drag.scaleNum[0], g_drag.scaleDen[0]);
    g_drag.wantY = g_drag.fromY + Scaled(GET_Y_LPARAM(lp) - g_drag.start.y, g_drag.scaleNum[1], g_drag.scaleDen[1]);
    if (g_drag.applyPosted) return;
    g_drag.applyPosted = PostMessageA(preview, kMsgApplyDrag, 0, 0) != 0;
    if (!g_drag.applyPosted) ApplyWanted(preview);
}

void EndDrag(HWND preview, LPARAM lp, bool withPoint) {
    if (!g_drag.active) return;
    if (withPoint) MoveDrag(preview, lp);
    ApplyWanted(preview);
    g_drag.active = false;
    if (GetCapture() == preview) ReleaseCapture();
}

LRESULT CALLBACK PreviewWithDrag(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
        g_secondPress = msg == WM_LBUTTONDBLCLK || (msg == WM_LBUTTONDOWN && IsSecondPress(lp));
        if (!g_drag.active) BeginDrag(hwnd, msg == WM_RBUTTONDOWN || (wp & MK_SHIFT), lp);
        break;
    case WM_MOUSEMOVE:
        // Capture can be taken away mid-drag; a move without a button held ends it.
        if (g_drag.active && !(wp & (MK_LBUTTON | MK_RBUTTON))) EndDrag(hwnd, lp, false);
        else if (g_drag.active) MoveDrag(hwnd, lp);
        break;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP: {
        EndDrag(hwnd, lp, true);
        // A double-click that left an added field where it was opens its settings, once the
        // mouse message is done (the dialog runs a modal loop).
        const bool still = g_drag.shownX == 0 && g_drag.shownY == 0;
        if (msg == WM_LBUTTONUP && g_secondPress && still && g_drag.field >= int(kStandardFieldCount))
            PostMessageA(hwnd, kMsgOpenField, WPARAM(g_drag.field), 0);
        g_secondPress = false;
        break;
    }
    case kMsgOpenField:
        EditField(size_t(wp), TakeSettingsSnapshot());
        return 0;
    case kMsgApplyDrag:
        g_drag.applyPosted = false;
        if (g_drag.active) ApplyWanted(hwnd);
        return 0;
    default:
        break;
    }
    return CallWindowProcA(g_previewProc, hwnd, msg, wp, lp);
}

void AddPreviewTooltip(HWND preview) {
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    HWND owner = GetParent(preview);
    HWND tip = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr, GetModuleHandleA(nullptr),
                               nullptr);
    if (!tip) return;
    TOOLINFOA info = {};
    info.cbSize = TTTOOLINFOA_V1_SIZE;
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    info.hwnd = owner;
    info.uId = reinterpret_cast<UINT_PTR>(preview);
    info.lpszText = const_cast<char*>(kPreviewHint);
    SendMessageA(tip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info));
}

}  // namespace

void AttachPreviewDrag(HWND preview) {
    if (!preview || g_previewProc) return;
    g_previewProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(preview, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&PreviewWithDrag)));
    AddPreviewTooltip(preview);
}

}  // namespace app
