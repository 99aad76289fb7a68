// How a background picture fills its area: the values of the window's, the
// label's and the drawing panel's picture mode properties. Plain C++.
#pragma once

namespace imprinta::units {

enum BackgroundPictureMode : int {
    kBackgroundTopLeft = 0,  // own size at the area's top-left corner
    kBackgroundTiled,        // tiled from there
    kBackgroundCentred,      // centred and shrunk to fit
    kBackgroundStretched,    // stretched over the area
};

}  // namespace imprinta::units
