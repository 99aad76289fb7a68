// The single fatal path: one message box, then the end with exit code -1.
#include <windows.h>
#include <cstdio>
#include <string>
#include "runtime/core/runtime_state.h"

namespace imprinta {

// Indexed by RuntimeErrorCode.
static const char* const kCodedErrors[] = {
    nullptr,
    "数组成员引用下标超出定义范围",
    "未得到所需要的数值型数据",
    "引用数组成员时维数不为1且不等于该数组目前所具有的维数",
    "数组成员引用下标必须大于等于1",
    "数据或数组类型不匹配",
    "调用DLL命令后发现堆栈错误",
    "子语句参数未返回数据或者返回了非系统基本类型或数组型数据",
    "被比较数据只能使用等于或不等于命令比较",
    "“多项选择”命令的索引值参数小于零或超出了所提供参数表范围",
    "“重定义数组”命令的数组维定义参数值必须大于零或单维时大于等于零",
    "所提供参数的数据类型不符合要求",
};
static_assert(sizeof kCodedErrors / sizeof kCodedErrors[0] == kLastErrorCode + 1, "one message per code");

// The report's text into a fixed buffer (cut to fit): the report also runs when
// memory has run out.
static void FormatErrorReport(char* out, size_t size, const char* message, int code) {
    size_t used = 0;
    auto put = [&](const char* s) {
        while (*s && used + 1 < size) out[used++] = *s++;
        out[used] = 0;
    };
    out[0] = 0;
    put("运行时出错!\r\n\r\n");
    if (code != kErrorNoCode) {
        char number[16];
        snprintf(number, sizeof number, "%d", code);
        put("错误代码：");
        put(number);
        put("\r\n\r\n");
    }
    if (message && *message) {
        put("错误信息：");
        put(message);
        put("\r\n");
    }
}

constexpr size_t kReportTextSize = 4096;

std::string BuildErrorReportText(const char* message, int code) {
    char text[kReportTextSize];
    FormatErrorReport(text, sizeof text, message, code);
    return text;
}

void SetErrorHook(ErrorHookFn hook) { TheRuntime().errorHook = hook; }

[[noreturn]] void ReportError(const char* message, int code) {
    Runtime& rt = TheRuntime();
    InterlockedIncrement(&rt.eventSuppression);
    bool showBox = true;
    if (rt.errorHook && !rt.errorHookRunning) {
        rt.errorHookRunning = true;
        int answer = rt.errorHook(code, message ? message : "");
        rt.errorHookRunning = false;
        if (answer != 0) showBox = false;
    }
    if (showBox) {
        static char text[kReportTextSize];
        FormatErrorReport(text, sizeof text, message, code);
        MessageBoxA(nullptr, text, "错误", MB_OK | MB_ICONERROR | MB_TASKMODAL);
    }
    // Also when a hook took the place of the box. Without a debugger the
    // breakpoint would only crash the process instead of ending it with -1.
    if (rt.runMode == kRunModeDebugBreak && IsDebuggerPresent()) DebugBreak();
    rt.exitCallbacks.clear();
    ExitProgram(-1);
}

}  // namespace imprinta

extern "C" void IMPRINTA_CDECL RaiseRuntimeError(int code) {
    // Codes outside the table still end the program, with the code and no text.
    const bool known = code > imprinta::kErrorNoCode && code <= imprinta::kLastErrorCode;
    const char* message = known ? imprinta::kCodedErrors[code] : "";
    imprinta::ReportError(message, code);
}
