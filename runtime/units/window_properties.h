// The window unit's own property data: defaults, and the stored form
// (version 6) that form templates carry and entry point 5 hands back.
// Plain C++: built natively as well.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace imprinta::units {

constexpr uint32_t kWindowDataVersion = 6;
constexpr uint32_t kSystemFaceColour = 0xFF000000;  // button face, resolved when used

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

// Highest choice of a choice property, -1 for properties that are not choices.
int WindowChoiceMax(int property);
// Clamps v into 0..max.
int ClampChoice(int v, int max);

struct WindowProperties {
    std::string caption;
    int32_t borderStyle = 2;
    uint32_t backColor = kSystemFaceColour;
    std::vector<uint8_t> backPicture;
    int32_t backPictureMode = 1;
    std::vector<uint8_t> backMusic;
    int32_t playCount = 0;
    bool controlBox = true;
    bool maxButton = false;
    bool minButton = true;
    int32_t startPosition = 1;
    bool movable = true;
    std::vector<uint8_t> icon;
    bool enterMovesFocus = false;
    bool escCloses = true;
    bool f1Help = false;
    std::string helpFile;
    int32_t helpContext = 0;
    bool showInTaskbar = true;
    bool dragAnywhere = false;
    int32_t shape = 0;
    bool alwaysOnTop = false;
    bool keepTitleActive = false;
    std::string className;

    void Reset() { *this = WindowProperties(); }
};

// Resets to the defaults, then reads stored data. No data (null or size 0) keeps
// the defaults. False for a version above 6 or data that ends early; choices
// out of range are clamped.
bool LoadWindowProperties(const uint8_t* data, size_t size, WindowProperties& out);

// The stored form, always written as version 6.
std::vector<uint8_t> SaveWindowProperties(const WindowProperties& p);

// Calls visit(buffer, marker 0) for every text of the data (caption, help file,
// class name) with a 0-terminated copy; the visitor may rewrite bytes but not the
// length. Changes are copied back up to the first 0 the visitor leaves.
template <class Visit>
void VisitWindowTexts(WindowProperties& p, Visit visit) {
    for (std::string* text : {&p.caption, &p.helpFile, &p.className}) {
        std::vector<char> buffer(text->begin(), text->end());
        buffer.push_back('\0');
        visit(buffer.data(), 0);
        buffer.back() = '\0';
        text->assign(buffer.data());
    }
}

}  // namespace imprinta::units
