// What the loader knows of a live unit: its window, its ids and the few things
// it asks of the window unit. Every unit type derives from it (through Unit),
// so the loader never needs a unit class.
#pragma once
#include <windows.h>
#include <cstdint>
#include <utility>
#include <vector>
#include "runtime/core/window_object.h"

namespace imprinta::forms {

class UnitObject : public WindowObject {
public:
    uint32_t formId = 0;
    uint32_t unitId = 0;
    bool designMode = false;

    // The window unit's pre-translation of queued messages; others leave it.
    virtual bool PreTranslateMessage(MSG& msg);
    // The window unit's start state (SW_ value) when the loader shows it.
    virtual int StartShowCommand();
    // The window unit when its window starts running modally: the windows the
    // loader disabled, each with whether it was enabled before.
    virtual void BeginModal(std::vector<std::pair<HWND, bool>> disabled);

    // The unit whose control is this window, or null.
    static UnitObject* FromHandle(HWND hwnd);
    // The unit aimed at by a message to target: target or its nearest ancestor
    // that is a unit's window.
    static UnitObject* ForTarget(HWND target);

protected:
    // Makes hwnd this unit's control window, found by FromHandle.
    void Register(HWND h);
    void Unregister();
};

}  // namespace imprinta::forms
