// Companion program for the form paths that end the process:
//   forms_child <scenario> <log file>
// Reports are captured through the error hook and written to the log.
#include <windows.h>
#include <cstdio>
#include <cstdlib>
#include <string>
#include "support/child_process.h"
#include "forms_test_handlers.h"
#include "forms_test_units.h"
#include "runtime/core/runtime_state.h"
#include "runtime/forms/forms_api.h"
#include "runtime/units/window_properties.h"

using namespace imprinta::forms;

namespace {

std::string g_log;

void Log(const std::string& line) { testsupport::AppendLine(g_log, line); }

int IMPRINTA_CDECL CaptureReport(int, const char* message) {
    Log(std::string("report ") + message);
    return 1;
}

std::vector<WindowDescription> OneWindow(uint32_t id) {
    WindowDescription w;
    w.id = id;
    UnitDescription own;
    own.id = kWindowRecordId;
    own.type = formstest::kWindowType;
    own.width = 300;
    own.height = 200;
    own.flags = kUnitVisible;
    own.bindings = {{0, kHandler_OnCreated}, {2, kHandler_OnDestroying}};
    UnitDescription box;
    box.id = 0x16010001;
    box.type = formstest::kBoxType;
    box.width = 50;
    box.height = 20;
    box.block = formstest::TestBoxBlock("child");
    w.units = {own, box};
    return {w};
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    g_log = argv[2];
    std::string scenario = argv[1];
    formstest::StartTestRuntime();
    imprinta::SetErrorHook(CaptureReport);
    const uint32_t id = 0x52010001;
    if (scenario == "truncated-template") {
        auto bytes = WriteTemplateCollection(OneWindow(id));
        bytes.resize(bytes.size() - 3);
        // As start-up does with the header's template data.
        if (!ReadTemplateCollection(bytes.data(), static_cast<uint32_t>(bytes.size()), 0))
            imprinta::ReportError("载入窗口模板数据段出错!", 0);
        Log("read");
        return 0;
    }
    if (scenario == "show") {
        // A window with real units and test boxes, for a look under Xvfb: stays
        // for the milliseconds in argv[3], then closes.
        auto forms = OneWindow(id);
        imprinta::units::WindowProperties props;
        props.Reset();
        props.caption = "模板窗口 template window";
        props.borderStyle = 2;
        SavePropertyData(props, forms[0].units[0].block);
        forms[0].units[0].left = 100;
        forms[0].units[0].top = 80;
        forms[0].units[0].width = 480;
        forms[0].units[0].height = 300;
        auto& units = forms[0].units;
        units[1].left = 20;
        units[1].top = 20;
        units[1].width = 160;
        units[1].height = 40;
        units[1].block = formstest::TestBoxBlock("测试方框 1");
        UnitDescription group = units[1];
        group.id = 0x16010002;
        group.type = formstest::kContainerType;
        group.left = 200;
        group.top = 20;
        group.width = 240;
        group.height = 200;
        group.block = formstest::TestBoxBlock("");
        group.children = {0x16010003, 0x16010004};
        UnitDescription inner = units[1];
        inner.id = 0x16010003;
        inner.parent = group.id;
        inner.left = 10;
        inner.top = 10;
        inner.width = 120;
        inner.height = 30;
        inner.block = formstest::TestBoxBlock("组内 inner");
        UnitDescription label;
        label.id = 0x16010004;
        label.type = 0x0001000A;
        label.parent = group.id;
        label.left = 10;
        label.top = 60;
        label.width = 200;
        label.height = 24;
        UnitDescription picker = label;
        picker.id = 0x16010005;
        picker.type = 0x0001001C;
        picker.parent = 0;
        picker.left = 20;
        picker.top = 80;
        picker.width = 100;
        picker.height = 24;
        units.push_back(group);
        units.push_back(inner);
        units.push_back(label);
        units.push_back(picker);
        formstest::LoadTemplates(forms);
        LoadStartWindow(id);
        SetTimer(nullptr, 0, argc > 3 ? static_cast<UINT>(atoi(argv[3])) : 2000, nullptr);
        MSG msg;
        while (GetMessageA(&msg, nullptr, 0, 0)) {
            if (msg.message == WM_TIMER && !msg.hwnd) break;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        DestroyAllWindows();
        Log(AnyWindowAlive() ? "alive" : "shown");
        return 0;
    }
    formstest::LoadTemplates(OneWindow(id));
    if (scenario == "window-not-loaded") {
        GetUnitProperty(0x5201FFFF, 0x16010001, 2, -1);
    } else if (scenario == "own-property-before-creation") {
        Log("width " + std::to_string(GetUnitProperty(id, 0x16010001, 2, -1)));
        GetUnitProperty(id, 0x16010001, 8, -1);
    } else if (scenario == "required-object") {
        Log("optional " + std::to_string(RuntimeNotify(kNotifyUnitObject, id, 0x16010001, 0)));
        RuntimeNotify(kNotifyUnitObjectRequired, id, 0x16010001, 0);
    } else if (scenario == "event-window-missing") {
        imprinta::units::RaiseEvent(0x5201FFFF, 0, 0);
    } else if (scenario == "event-unit-missing") {
        imprinta::units::RaiseEvent(id, 0x16017777, 0);
    } else if (scenario == "last-window-ends-loop") {
        LoadStartWindow(id);
        HWND h = reinterpret_cast<imprinta::units::Unit*>(
                     static_cast<uintptr_t>(RuntimeNotify(kNotifyUnitObject, id, 0, 0)))->hwnd;
        PostMessageA(h, WM_CLOSE, 0, 0);
        RunMessageLoop();
        for (const auto& c : formstest::Calls()) Log(c.handler);
        Log(AnyWindowAlive() ? "alive" : "gone");
        return 0;
    }
    Log("returned");
    return 3;
}
