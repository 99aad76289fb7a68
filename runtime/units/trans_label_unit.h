// The transparent label ("透明标签"): draws only its caption over whatever its
// parent shows, and makes the top-level window repaint under it whenever it
// changes or moves.
#pragma once
#include <windows.h>
#include "runtime/units/trans_label_data.h"
#include "runtime/units/unit_framework.h"

namespace imprinta::units {

class TransLabelUnit : public Unit {
public:
    using Data = TransLabelData;
    PropertyData& Properties() override { return data; }
    bool CreateControl(const CreateParams& p) override;
    bool SetProperty(int number, const PropertyValue& value, char** tip) override;
    bool GetProperty(int number, PropertyValue& value) override;
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

    // Repaints the top-level window and its units under rect (screen
    // coordinates), then the label itself.
    void RefreshUnder(const RECT& screenRect);
    TransLabelData data;

private:
    void Refresh();
    RECT lastScreenRect_ = {0, 0, 0, 0};
};

}  // namespace imprinta::units
