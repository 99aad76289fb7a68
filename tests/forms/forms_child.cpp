// Companion program for the form paths that end the process:
//   forms_child <scenario> <log file>
// Reports are captured through the error hook and written to the log.
#include <windows.h>
#include <cstdio>
#include <string>
#include "forms_test_handlers.h"
#include "forms_test_units.h"
#include "runtime/core/runtime_state.h"
#include "runtime/forms/forms_api.h"

using namespace imprinta::forms;

namespace {

std::string g_log;

void Log(const std::string& line) {
    FILE* f = fopen(g_log.c_str(), "ab");
    if (!f) return;
    fwrite(line.data(), 1, line.size(), f);
    fputc('\n', f);
    fclose(f);
}

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
