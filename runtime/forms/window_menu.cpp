// A window's menu bar and accelerator table, built from the run of menu item
// records in its unit table, and the menu commands they send.
#include "runtime/forms/forms_internal.h"

namespace imprinta::forms {

namespace {

constexpr UINT kFirstMenuCommand = 20000;

UINT StateFlags(const UnitRecord& r) {
    return ((r.menuFlags & kMenuDisabled) ? MF_GRAYED : 0) | ((r.menuFlags & kMenuChecked) ? MF_CHECKED : 0);
}

// The level of the next menu record after index i, or -1 when none follows.
int NextMenuLevel(const TemplateWindow& w, size_t i) {
    for (size_t j = i + 1; j < w.units.size(); ++j)
        if (w.units[j].menu) return static_cast<int>(MenuLevel(w.units[j].menuWord));
    return -1;
}

// Calls visit(index, level) for every menu record that shows: hidden items are
// left out together with everything in their sub-menus. A level deeper than
// one below the open sub-menu is taken as the deepest open level.
template <typename Visit>
void ForEachShownItem(const TemplateWindow& w, Visit visit) {
    int hiddenLevel = -1;
    int open = 0;  // levels that can take items now: 0..open
    for (size_t i = 0; i < w.units.size(); ++i) {
        const UnitRecord& r = w.units[i];
        if (!r.menu) continue;
        int level = static_cast<int>(MenuLevel(r.menuWord));
        if (level > open) level = open;
        if (hiddenLevel >= 0 && level > hiddenLevel) continue;
        hiddenLevel = -1;
        bool opensSubMenu = NextMenuLevel(w, i) > level;
        open = opensSubMenu ? level + 1 : level;
        if (r.menuFlags & kMenuHidden) {
            hiddenLevel = level;
            continue;
        }
        visit(i, level, opensSubMenu);
    }
}

HMENU BuildMenuBar(const TemplateWindow& w) {
    HMENU bar = nullptr;
    std::vector<HMENU> menus;  // menus[level] takes the items of that level
    ForEachShownItem(w, [&](size_t i, int level, bool opensSubMenu) {
        const UnitRecord& r = w.units[i];
        if (!bar) bar = CreateMenu();
        menus.resize(static_cast<size_t>(level) + 1);
        menus[0] = bar;
        HMENU into = menus[static_cast<size_t>(level)];
        if (opensSubMenu) {
            HMENU sub = CreatePopupMenu();
            AppendMenuA(into, MF_POPUP | MF_STRING | StateFlags(r), reinterpret_cast<UINT_PTR>(sub), r.caption.c_str());
            menus.push_back(sub);
        } else {
            AppendMenuA(into, MF_STRING | StateFlags(r), kFirstMenuCommand + i, r.caption.c_str());
        }
    });
    return bar;
}

HACCEL BuildAccelerators(const TemplateWindow& w) {
    std::vector<ACCEL> keys;
    ForEachShownItem(w, [&](size_t i, int, bool opensSubMenu) {
        uint32_t key = MenuShortcut(w.units[i].menuWord);
        if (opensSubMenu || (key & kMenuKeyVirtualKey) == 0) return;
        BYTE virt = FVIRTKEY | ((key & kMenuKeyCtrl) ? FCONTROL : 0) | ((key & kMenuKeyShift) ? FSHIFT : 0) |
                    ((key & kMenuKeyAlt) ? FALT : 0);
        keys.push_back({virt, static_cast<WORD>(key & kMenuKeyVirtualKey), static_cast<WORD>(kFirstMenuCommand + i)});
    });
    return keys.empty() ? nullptr : CreateAcceleratorTableA(keys.data(), static_cast<int>(keys.size()));
}

}  // namespace

WindowMenu BuildWindowMenu(const TemplateWindow& w) { return {BuildMenuBar(w), BuildAccelerators(w)}; }

void DestroyWindowMenu(WindowMenu& m) {
    if (m.bar) DestroyMenu(static_cast<HMENU>(m.bar));
    if (m.accelerators) DestroyAcceleratorTable(static_cast<HACCEL>(m.accelerators));
    m = {};
}

void ReleaseAccelerators(TemplateWindow& w) {
    if (w.accelerators) DestroyAcceleratorTable(static_cast<HACCEL>(w.accelerators));
    w.accelerators = nullptr;
}

void RebuildMenuBar(TemplateWindow& w) {
    HWND h = LiveWindowHandle(w);
    if (!h) return;
    WindowMenu fresh = BuildWindowMenu(w);
    HMENU old = GetMenu(h);
    SetMenu(h, static_cast<HMENU>(fresh.bar));
    if (old) DestroyMenu(old);
    w.menuBar = fresh.bar;
    ReleaseAccelerators(w);
    w.accelerators = fresh.accelerators;
    DrawMenuBar(h);
}

bool TranslateMenuKey(TemplateWindow& w, HWND window, MSG& msg) {
    if (!w.accelerators || (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN)) return false;
    return TranslateAcceleratorA(window, static_cast<HACCEL>(w.accelerators), &msg) != 0;
}

bool RaiseMenuCommand(uint32_t windowId, UINT command) {
    TemplateWindow* w = FindTemplate(windowId);
    if (!w || command < kFirstMenuCommand || command - kFirstMenuCommand >= w->units.size()) return false;
    const UnitRecord& r = w->units[command - kFirstMenuCommand];
    if (!r.menu) return false;
    if (!(r.menuFlags & (kMenuDisabled | kMenuHidden))) RaiseInternal(windowId, r.id, 0);
    return true;
}

}  // namespace imprinta::forms
