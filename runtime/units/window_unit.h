// The window unit ("窗口"): the top-level window every form template describes,
// and the keyboard and mouse pre-translation that serves all of its units.
#pragma once
#include <windows.h>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>
#include "runtime/units/unit_framework.h"
#include "runtime/units/window_background.h"
#include "runtime/units/window_icon.h"
#include "runtime/units/window_music.h"
#include "runtime/units/window_numbers.h"
#include "runtime/units/window_properties.h"
#include "runtime/units/window_tray.h"

namespace imprinta::units {

constexpr char kDefaultWindowClass[] = "RZWindow";
// Key codes handed to WantsKey carry the modifiers above the virtual key.
constexpr uint32_t kKeyShift = 0x4000, kKeyCtrl = 0x2000, kKeyAlt = 0x1000;

struct WindowStyles {
    DWORD style = 0;
    DWORD exStyle = 0;
};

// What a window's styles depend on besides its properties.
struct WindowStyleContext {
    DWORD runtimeStyle = 0;  // the style the runtime asks for
    bool designMode = false;
    bool hasOwner = false;
};

// Styles of a window with these properties (creation, steps 2 to 4).
WindowStyles ComputeWindowStyles(const WindowProperties& p, const WindowStyleContext& context);

enum class FocusStep { Forward, Backward };

class WindowUnit : public Unit {
public:
    using Data = WindowProperties;
    static constexpr bool kIconEntry = true;
    static HGLOBAL IMPRINTA_STDCALL IconData(const void* data, uint32_t size, uint32_t* iconSize);

    WindowUnit() = default;
    ~WindowUnit() override;

    PropertyData& Properties() override { return props_; }
    bool CreateControl(const CreateParams& p) override;
    bool SetProperty(int number, const PropertyValue& value, char** tip) override;
    bool GetProperty(int number, PropertyValue& value) override;
    bool PreTranslateMessage(MSG& msg) override;
    int StartShowCommand() override;
    bool CursorOnlyOverClient() const override { return true; }
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

    const WindowProperties& properties() const { return props_; }

    // Modal runs: the windows disabled for this one, with their previous
    // enabled state, given back when it closes.
    void BeginModal(std::vector<std::pair<HWND, bool>> disabled) override;
    bool runsModally() const { return modal_; }

    // Adds or modifies the notification-area icon (null icon removes it).
    bool SetTrayIcon(HICON icon, const char* tip);
    bool hasTrayIcon() const { return tray_.shown(); }

    // Focus movement as Tab (forward) and Shift+Tab (backwards) do it.
    bool MoveFocus(FocusStep step);
    // The units of this window in record order, the window excluded.
    std::vector<Unit*> UnitsInOrder() const;
    HICON bigIcon() const { return icons_.bigIcon(); }
    // Whether the wave player accepted the background music.
    bool musicPlaying() const { return music_.playing(); }
    HICON smallIcon() const { return icons_.smallIcon(); }

private:
    // Creation.
    void PlaceAtStart(CreateParams& q, WindowStyles& s);
    // Closing and activation.
    void Close();
    void OnDestroy();
    void OnActivate(bool active, bool minimized);
    bool PassActivationToModal();
    void EndModal();
    // Painting.
    void Paint();
    void RepaintTransparentUnits(const RECT& clip);
    // Live changes of the frame.
    void ApplyShape();
    void MakeIcons();
    void ApplyFrameStyles();
    void ApplyStartPosition();
    void ApplyMovable();
    void ApplyTopmost(bool set);
    // Property setters, one a group; false when the number is not theirs.
    bool SetFrameProperty(int number, const PropertyValue& v);
    bool SetBackgroundProperty(int number, const PropertyValue& v);
    bool SetMusicProperty(int number, const PropertyValue& v);
    bool SetPlacementProperty(int number, const PropertyValue& v);
    bool SetStoredProperty(int number, const PropertyValue& v);
    bool SetChoice(int number, int32_t value, int32_t& field);
    int32_t LiveStartPosition() const;
    // Music, tray and help.
    void StartMusic();
    void StopMusic();
    LRESULT OnTrayMessage(LPARAM mouseMessage);
    bool OpenHelp();
    void CloseHelp();
    // Pre-translation and keyboard navigation.
    uint32_t TypeFlags(const Unit* u) const;
    bool Eligible(const Unit* u) const;
    bool HandleNavigationKey(UINT vk);
    bool HandleEnterKey(Unit* focused);
    bool PressDefaultButton();

    WindowProperties props_;
    WindowBackground background_;
    WindowIcons icons_;
    WindowMusic music_;
    WindowTrayIcon tray_;
    bool firstActivated_ = false;
    bool modal_ = false;
    std::vector<std::pair<HWND, bool>> disabled_;
    HWND lastFocus_ = nullptr;
    bool helpOpened_ = false;
    bool hasOwner_ = false;
    // How the loader first shows the window: minimized, maximized or as stored.
    int startState_ = kWindowStartAsStored;
};

}  // namespace imprinta::units

// The window type's entry-point lookup (named in the type descriptor table).
extern "C" void* IMPRINTA_STDCALL WindowEntryLookup(int number);
