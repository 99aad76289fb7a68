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
#include "runtime/units/window_properties.h"

namespace imprinta::units {

constexpr char kDefaultWindowClass[] = "RZWindow";
constexpr UINT kTrayCallbackMessage = 0x8064;
constexpr UINT kTrayIconId = 100;
// Key codes handed to WantsKey carry the modifiers above the virtual key.
constexpr uint32_t kKeyShift = 0x4000, kKeyCtrl = 0x2000, kKeyAlt = 0x1000;

struct WindowStyles {
    DWORD style = 0;
    DWORD exStyle = 0;
};

// Styles of a window with these properties (creation, steps 2 to 4).
WindowStyles ComputeWindowStyles(const WindowProperties& p, DWORD runtimeStyle, bool designMode, bool hasOwner);

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
    bool hasTrayIcon() const { return trayShown_; }

    // Focus movement as Tab (forward) and Shift+Tab (backwards) do it.
    bool MoveFocus(bool backwards);
    // The units of this window in record order, the window excluded.
    std::vector<Unit*> UnitsInOrder() const;
    HICON bigIcon() const { return bigIcon_; }
    // Whether the wave player accepted the background music.
    bool musicPlaying() const { return musicPlaying_; }
    HICON smallIcon() const { return smallIcon_; }

private:
    void Close();
    void OnDestroy();
    void OnActivate(bool active, bool minimized);
    void Paint();
    void ApplyShape();
    void MakeIcons();
    void ApplyFrameStyles();
    void ApplyStartPosition();
    void ApplyMovable();
    void ApplyTopmost(bool wasSet);
    void StartMusic();
    void StopMusic();
    bool OpenHelp();
    void EndModal();
    uint32_t TypeFlags(const Unit* u) const;
    bool Eligible(const Unit* u) const;

    WindowProperties props_;
    WindowBackground background_;
    bool firstActivated_ = false;
    bool modal_ = false;
    std::vector<std::pair<HWND, bool>> disabled_;
    HICON bigIcon_ = nullptr, smallIcon_ = nullptr;
    bool ownIcons_ = false;
    bool trayShown_ = false;
    HICON trayIcon_ = nullptr;
    HWND lastFocus_ = nullptr;
    bool helpOpened_ = false;
    bool musicPlaying_ = false;
    bool hasOwner_ = false;
    int startState_ = 0;  // 2 minimized, 3 maximized: how the loader first shows the window
};

}  // namespace imprinta::units

// The window type's entry-point lookup (named in the type descriptor table).
extern "C" void* IMPRINTA_STDCALL WindowEntryLookup(int number);
