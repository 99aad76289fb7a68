// The window unit's numbers: its own properties and events and the values of
// its choice properties. Plain C++: the stored form and host tests use them.
#pragma once
#include <cstdint>
#include "runtime/forms/window_events.h"
#include "runtime/units/picture_modes.h"

namespace imprinta::units {

// Unit-relative property numbers (the application's index minus 8).
enum WindowProperty : int {
    kWpCaption = 0,
    kWpBorderStyle,
    kWpBackColor,
    kWpBackPicture,
    kWpBackPictureMode,
    kWpBackMusic,
    kWpPlayCount,
    kWpControlBox,
    kWpMaxButton,
    kWpMinButton,
    kWpStartPosition,
    kWpMovable,
    kWpIcon,
    kWpEnterMovesFocus,
    kWpEscCloses,
    kWpF1Help,
    kWpHelpFile,
    kWpHelpContext,
    kWpShowInTaskbar,
    kWpDragAnywhere,
    kWpShape,
    kWpAlwaysOnTop,
    kWpKeepTitleActive,
    kWpClassName,
    kWindowOwnPropertyCount
};

// Values of kWpBorderStyle.
enum WindowBorderStyle : int {
    kWindowBorderNone = 0,
    kWindowBorderResizable,
    kWindowBorderFixed,
    kWindowBorderResizableTool,
    kWindowBorderFixedTool,
    kWindowBorderResizableSunken,
    kWindowBorderFixedSunken,
};

// Values of kWpPlayCount.
enum WindowPlayCount : int {
    kWindowPlayLoop = 0,
    kWindowPlayOnce,
    kWindowPlayNever,
};

// Values of kWpStartPosition; reading it on a live window gives the live state.
enum WindowStartPosition : int {
    kWindowStartAsStored = 0,
    kWindowStartCentred,
    kWindowStartMinimized,
    kWindowStartMaximized,
};

// Values of kWpShape with an outline of their own; the rest up to
// kWindowShapeLast are polygons from a table.
enum WindowShape : int {
    kWindowShapeRectangle = 0,
    kWindowShapeEllipse,
    kWindowShapeRoundRect,
    kWindowShapeRing,
    kWindowShapeFirstPolygon,
    kWindowShapeLast = 29,
};

// The argument of kWindowTrayEvent.
enum WindowTrayClick : uint32_t {
    kWindowTrayLeftClick = 1,
    kWindowTrayDoubleClick = 2,
    kWindowTrayRightClick = 3,  // also the context-menu key
};

}  // namespace imprinta::units
