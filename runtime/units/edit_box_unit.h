// The edit box unit: an EDIT control with input modes, a spin control, its own
// colours and vertically centred single-line text.
#pragma once
#include <string>
#include "runtime/units/edit_box_data.h"
#include "runtime/units/unit_framework.h"

namespace imprinta::units {

class SpinControl;

class EditBoxUnit : public Unit {
public:
    using Data = EditBoxData;
    static constexpr bool kWantsKeyEntry = true;
    ~EditBoxUnit() override;

    PropertyData& Properties() override;  // at run time: refreshed from the control
    bool CreateControl(const CreateParams& p) override;
    bool SetProperty(int number, const PropertyValue& value, char** tip) override;
    bool GetProperty(int number, PropertyValue& value) override;
    bool WantsKey(UINT key) override;
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
    bool OnReflected(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

    HWND SpinWindow() const;
    // An arrow of the spin control was pressed (delta > 0: up).
    void OnSpin(int delta);

    EditBoxData data;

private:
    friend class SpinControl;
    void ApplyFontAndHeight();
    int LineHeight();
    // WM_NCCALCSIZE, WM_NCPAINT, WM_ERASEBKGND and WM_NCHITTEST of a single-line box.
    LRESULT SingleLineFrame(UINT msg, WPARAM wp, LPARAM lp);
    void CreateSpin();
    void PlaceSpin(int show);  // 1 show, 0 hide, -1 leave
    void UpdateSpinRange();
    void SelectLive(int start, int length);
    void NormaliseOnFocusLoss();
    void SetContent(const char* text);
    void SetBorder(int32_t value);
    void SetInputMode(int32_t value);
    void SetPasswordChar(const char* text);
    void SetSelection(int number, int32_t value);  // kEditBoxSelStart or kEditBoxSelLength
    // The selection as the control holds it at run time, as stored otherwise.
    void CurrentSelection(int32_t& start, int32_t& length) const;
    std::string SelectedText() const;
    std::wstring LiveTextW() const;
    std::string LiveText() const;

    SpinControl* spin_ = nullptr;
    bool suppressChange_ = false;
    std::string scratch_;
};

}  // namespace imprinta::units
