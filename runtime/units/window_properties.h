// The window unit's own property data: defaults, and the stored form
// (version 6) that form templates carry and entry point 5 hands back.
// Plain C++: built natively as well.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>
#include "runtime/base/property_stream.h"
#include "runtime/units/choice.h"
#include "runtime/units/window_numbers.h"

namespace imprinta::units {

constexpr uint32_t kWindowDataVersion = 6;
constexpr uint32_t kSystemFaceColour = 0xFF000000;  // button face, resolved when used

// Highest choice of a choice property, -1 for properties that are not choices.
int WindowChoiceMax(int property);

class WindowProperties : public PropertyData {
public:
    std::string caption;
    int32_t borderStyle = kWindowBorderFixed;
    uint32_t backColor = kSystemFaceColour;
    ByteBuffer backPicture;
    int32_t backPictureMode = kBackgroundTiled;
    ByteBuffer backMusic;
    int32_t playCount = kWindowPlayLoop;
    bool controlBox = true;
    bool maxButton = false;
    bool minButton = true;
    int32_t startPosition = kWindowStartCentred;
    bool movable = true;
    ByteBuffer icon;
    bool enterMovesFocus = false;
    bool escCloses = true;
    bool f1Help = false;
    std::string helpFile;
    int32_t helpContext = 0;
    bool showInTaskbar = true;
    bool dragAnywhere = false;
    int32_t shape = kWindowShapeRectangle;
    bool alwaysOnTop = false;
    bool keepTitleActive = false;
    std::string className;

    void Reset() override { *this = WindowProperties(); }
    // Refuses versions above 6; choices read out of range are clamped and
    // texts end at their first 0 byte, as the live window would show them.
    bool Serialize(PropertyArchive& ar) override;
    std::vector<ConvertibleText> ConvertibleTexts() override { return {{&caption}, {&helpFile}, {&className}}; }
};

}  // namespace imprinta::units
