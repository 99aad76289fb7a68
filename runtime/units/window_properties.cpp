// Stored form of the window's property data.
#include "runtime/units/window_properties.h"


namespace imprinta::units {

int WindowChoiceMax(int property) {
    switch (property) {
    case kWpBorderStyle: return kWindowBorderFixedSunken;
    case kWpBackPictureMode: return kBackgroundStretched;
    case kWpPlayCount: return kWindowPlayNever;
    case kWpStartPosition: return kWindowStartMaximized;
    case kWpShape: return kWindowShapeLast;
    default: return -1;
    }
}

namespace {
void CutAtZero(std::string& s) {
    size_t zero = s.find('\0');
    if (zero != std::string::npos) s.resize(zero);
}
}  // namespace

bool WindowProperties::Serialize(PropertyArchive& ar) {
    if (!ar.Version(kWindowDataVersion)) return false;
    ar.Int(borderStyle);
    ar.Int(backPictureMode);
    ar.Colour(backColor);
    ar.Bool(maxButton);
    ar.Bool(minButton);
    ar.Bool(controlBox);
    ar.Int(startPosition);
    ar.Bool(movable);
    ar.Int(playCount);
    ar.Bool(enterMovesFocus);
    ar.Bool(escCloses);
    ar.Bool(f1Help);
    ar.Int(helpContext);
    uint32_t v = ar.version();
    if (v >= 2) ar.Bool(showInTaskbar);
    if (v >= 3) {
        ar.Bool(dragAnywhere);
        ar.Int(shape);
    }
    if (v >= 4) ar.Bool(alwaysOnTop);
    if (v >= 5) ar.Bool(keepTitleActive);
    if (v >= 6) ar.Text(className);
    ar.Data(backPicture);
    ar.Data(icon);
    ar.Data(backMusic);
    ar.Text(caption);
    ar.Text(helpFile);
    if (ar.loading()) {
        borderStyle = ClampChoice(borderStyle, WindowChoiceMax(kWpBorderStyle));
        backPictureMode = ClampChoice(backPictureMode, WindowChoiceMax(kWpBackPictureMode));
        startPosition = ClampChoice(startPosition, WindowChoiceMax(kWpStartPosition));
        playCount = ClampChoice(playCount, WindowChoiceMax(kWpPlayCount));
        shape = ClampChoice(shape, WindowChoiceMax(kWpShape));
        CutAtZero(caption);
        CutAtZero(helpFile);
        CutAtZero(className);
    }
    return ar.ok();
}

}  // namespace imprinta::units
