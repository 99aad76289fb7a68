// Test unit types and a started Runtime for the form tests: the real window
// unit plus a small "test box" unit registered under three type codes (edit
// box, group box and button slots) so that links between types can be tested.
#pragma once
#include <windows.h>
#include <string>
#include <vector>
#include "runtime/base/template_format.h"
#include "runtime/units/unit_framework.h"

namespace formstest {

using namespace imprinta::units;

constexpr uint32_t kWindowType = kUnitTypeWindow;
constexpr uint32_t kBoxType = 0x00010005;        // the edit-box slot
constexpr uint32_t kContainerType = 0x00010009;  // the group-box slot
constexpr uint32_t kOtherBoxType = 0x0001000B;   // the button slot

// Test box properties (application indices): 8 caption (text), 9 choice 0..3,
// 10 font, 11 number (changing it asks for re-creation), 12 logical.
struct TestBoxData : PropertyData {
    std::string caption;
    int32_t choice = 0;
    ByteBuffer font;
    int32_t number = 0;
    bool flag = false;
    void Reset() override;
    bool Serialize(PropertyArchive& ar) override;
};
std::vector<uint8_t> TestBoxBlock(const std::string& caption, int32_t number = 0);

class TestBox : public Unit {
public:
    using Data = TestBoxData;
    TestBoxData data;
    PropertyData& Properties() override { return data; }
    bool CreateControl(const CreateParams& p) override;
    bool SetProperty(int number, const PropertyValue& value, char** tip) override;
    bool GetProperty(int number, PropertyValue& value) override;
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
    static int created;  // test boxes created so far
};

// Starts the Runtime once per process with the test library table and no
// template data; later calls do nothing.
void StartTestRuntime();
// Reads a template collection built from descriptions, handlers relative to
// the test code base.
bool LoadTemplates(const std::vector<imprinta::forms::WindowDescription>& windows);

}  // namespace formstest
