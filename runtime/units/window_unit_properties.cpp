// Reading and setting the window's properties; the setters apply each change
// to the live window, one function a group of properties.
#include "runtime/units/window_shapes.h"
#include "runtime/units/window_unit.h"

namespace imprinta::units {

// The live state: never "centred" once the window exists.
int32_t WindowUnit::LiveStartPosition() const {
    if (designMode || !hwnd) return props_.startPosition;
    return IsIconic(hwnd) ? kWindowStartMinimized : IsZoomed(hwnd) ? kWindowStartMaximized : kWindowStartAsStored;
}

bool WindowUnit::GetProperty(int number, PropertyValue& v) {
    v.words.low = v.words.high = 0;
    switch (number) {
    case kWpCaption: v.text = props_.caption.c_str(); break;
    case kWpBorderStyle: v.integer = props_.borderStyle; break;
    case kWpBackColor: v.colour = props_.backColor; break;
    case kWpBackPicture: LendBytes(v, props_.backPicture); break;
    case kWpBackPictureMode: v.integer = props_.backPictureMode; break;
    case kWpBackMusic: LendBytes(v, props_.backMusic); break;
    case kWpPlayCount: v.integer = props_.playCount; break;
    case kWpControlBox: v.logical = props_.controlBox; break;
    case kWpMaxButton: v.logical = props_.maxButton; break;
    case kWpMinButton: v.logical = props_.minButton; break;
    case kWpStartPosition: v.integer = LiveStartPosition(); break;
    case kWpMovable: v.logical = props_.movable; break;
    case kWpIcon: LendBytes(v, props_.icon); break;
    case kWpEnterMovesFocus: v.logical = props_.enterMovesFocus; break;
    case kWpEscCloses: v.logical = props_.escCloses; break;
    case kWpF1Help: v.logical = props_.f1Help; break;
    case kWpHelpFile: v.text = props_.helpFile.c_str(); break;
    case kWpHelpContext: v.integer = props_.helpContext; break;
    case kWpShowInTaskbar: v.logical = props_.showInTaskbar; break;
    case kWpDragAnywhere: v.logical = props_.dragAnywhere; break;
    case kWpShape: v.integer = props_.shape; break;
    case kWpAlwaysOnTop: v.logical = props_.alwaysOnTop; break;
    case kWpKeepTitleActive: v.logical = props_.keepTitleActive; break;
    case kWpClassName: v.text = props_.className.c_str(); break;
    default: return false;
    }
    return true;
}

bool WindowUnit::SetProperty(int number, const PropertyValue& v, char**) {
    SetFrameProperty(number, v) || SetBackgroundProperty(number, v) || SetMusicProperty(number, v) ||
        SetPlacementProperty(number, v) || SetStoredProperty(number, v);
    return false;  // every change applies to the live window
}

// Stores a choice clamped to its range; whether it changed.
bool WindowUnit::SetChoice(int number, int32_t value, int32_t& field) {
    int32_t c = ClampChoice(value, WindowChoiceMax(number));
    if (c == field) return false;
    field = c;
    return true;
}

// Caption, border and title-bar boxes: the frame styles follow them.
bool WindowUnit::SetFrameProperty(int number, const PropertyValue& v) {
    switch (number) {
    case kWpCaption:
        props_.caption = TextOf(v);
        if (hwnd) SetWindowTextA(hwnd, props_.caption.c_str());
        break;
    case kWpBorderStyle:
        if (!SetChoice(number, v.integer, props_.borderStyle)) return true;
        break;
    case kWpControlBox: props_.controlBox = v.logical != 0; break;
    case kWpMaxButton: props_.maxButton = v.logical != 0; break;
    case kWpMinButton: props_.minButton = v.logical != 0; break;
    default: return false;
    }
    if (hwnd) ApplyFrameStyles();
    return true;
}

bool WindowUnit::SetBackgroundProperty(int number, const PropertyValue& v) {
    switch (number) {
    case kWpBackColor:
        props_.backColor = v.colour;
        background_.Drop();  // transparent picture parts were blended with the old colour
        break;
    case kWpBackPicture:
        StoreBytes(props_.backPicture, v);
        background_.Drop();
        break;
    case kWpBackPictureMode:
        if (!SetChoice(number, v.integer, props_.backPictureMode) || props_.backPicture.empty()) return true;
        break;
    default: return false;
    }
    if (hwnd) InvalidateRect(hwnd, nullptr, TRUE);
    return true;
}

// The player reads the sound in place: it stops before the data changes.
bool WindowUnit::SetMusicProperty(int number, const PropertyValue& v) {
    switch (number) {
    case kWpBackMusic:
        StopMusic();
        StoreBytes(props_.backMusic, v);
        break;
    case kWpPlayCount:
        if (!SetChoice(number, v.integer, props_.playCount)) return true;
        StopMusic();
        break;
    default: return false;
    }
    if (hwnd) StartMusic();
    return true;
}

// Start position, movability, icon, shape and z-order.
bool WindowUnit::SetPlacementProperty(int number, const PropertyValue& v) {
    bool live = hwnd != nullptr;
    switch (number) {
    case kWpStartPosition:
        props_.startPosition = ClampChoice(v.integer, WindowChoiceMax(number));
        if (live && !designMode && IsWindowVisible(hwnd)) ApplyStartPosition();
        break;
    case kWpMovable:
        props_.movable = v.logical != 0;
        if (live) ApplyMovable();
        break;
    case kWpIcon:
        StoreBytes(props_.icon, v);
        if (live) MakeIcons();
        break;
    case kWpShape:
        props_.shape = ClampShape(v.integer);
        if (live) ApplyShape();
        break;
    case kWpAlwaysOnTop:
        props_.alwaysOnTop = v.logical != 0;
        if (live && !designMode) ApplyTopmost(props_.alwaysOnTop);
        break;
    default: return false;
    }
    return true;
}

// Help and focus options, the task-bar flag and the class name: read when
// used, so they are only stored.
bool WindowUnit::SetStoredProperty(int number, const PropertyValue& v) {
    switch (number) {
    case kWpEnterMovesFocus: props_.enterMovesFocus = v.logical != 0; break;
    case kWpEscCloses: props_.escCloses = v.logical != 0; break;
    case kWpF1Help: props_.f1Help = v.logical != 0; break;
    case kWpHelpFile: props_.helpFile = TextOf(v); break;
    case kWpHelpContext: props_.helpContext = v.integer; break;
    case kWpShowInTaskbar: props_.showInTaskbar = v.logical != 0; break;
    case kWpDragAnywhere: props_.dragAnywhere = v.logical != 0; break;
    case kWpKeepTitleActive: props_.keepTitleActive = v.logical != 0; break;
    case kWpClassName: props_.className = TextOf(v); break;
    default: return false;
    }
    return true;
}

}  // namespace imprinta::units
