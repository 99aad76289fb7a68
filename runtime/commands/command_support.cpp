#include "runtime/commands/command_support.h"
#include "runtime/core/blocks.h"
#include "runtime/core/runtime_interface.h"

namespace imprinta::cmd {

namespace {
RuntimeNotifyFn g_notify = &RuntimeNotify;
}

int64_t Notify(int code, uint32_t a1, uint32_t a2, uint32_t a3) { return g_notify(code, a1, a2, a3); }

int32_t IMPRINTA_STDCALL LibraryNotify(int code, uint32_t a1, uint32_t) {
    if (code == 1 && a1 != 0) {
        g_notify = reinterpret_cast<RuntimeNotifyFn>(static_cast<uintptr_t>(a1));
        return 1;
    }
    return 0;
}

double DoubleArg(const ArgValue& a) {
    switch (a.type) {
    case kTypeByte: return a.low & 0xFF;
    case kTypeShort: return static_cast<int16_t>(a.low & 0xFFFF);
    case kTypeInt: return static_cast<int32_t>(a.low);
    case kTypeLong: return static_cast<double>(static_cast<int64_t>((uint64_t{a.high} << 32) | a.low));
    case kTypeFloat: {
        float f;
        memcpy(&f, &a.low, 4);
        return f;
    }
    default: {
        // Doubles (and untyped words) are read as the double they hold.
        uint64_t bits = (uint64_t{a.high} << 32) | a.low;
        double d;
        memcpy(&d, &bits, 8);
        return d;
    }
    }
}

void SetText(ArgValue* r, const std::string& s) { r->low = Word(CopyText(std::string_view(s))); }

void SetBytes(ArgValue* r, const void* data, uint32_t n) { r->low = Word(MakeByteSet(data, n)); }

void Fatal(const char* message) {
    Notify(kNotifyReportError, Word(message));
    // The Runtime's report does not return; should a replaced notification
    // function come back, the program still ends here.
    ExitProgram(-1);
}

HWND UnitWindow(const ArgValue& unit) {
    auto object = static_cast<uint32_t>(Notify(kNotifyUnitObjectRequired, unit.low, unit.high));
    if (!object) return nullptr;
    return Ptr<HWND__>(static_cast<uint32_t>(Notify(kNotifyWindowObjectHandle, object)));
}

}  // namespace imprinta::cmd
