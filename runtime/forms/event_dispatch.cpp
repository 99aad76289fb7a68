// Event dispatch: find the handler bound to a unit's event and call it.
//
// Handlers are extern "C" __cdecl routines whose first argument is a hidden
// EventResultSlot*, followed by the event's argument words in order.
#include <cstring>
#include "runtime/forms/forms_internal.h"
#include "runtime/base/allocation_failure.h"
#include "runtime/core/runtime_state.h"

// ImprintaCallHandler(handler, slot, words, count): cdecl. Pushes the words from
// the last to the first, then the slot, keeps the stack 16-byte aligned at the
// call, and restores the stack afterwards whatever the handler does to it. Its
// unwind information lets an exception from a handler reach RunHandler.
asm(R"(
    .text
    .globl _ImprintaCallHandler
    .p2align 4
_ImprintaCallHandler:
    .cfi_startproc
    pushl %ebp
    .cfi_def_cfa_offset 8
    .cfi_offset %ebp, -8
    movl %esp, %ebp
    .cfi_def_cfa_register %ebp
    pushl %esi
    pushl %edi
    pushl %ebx
    .cfi_offset %esi, -12
    .cfi_offset %edi, -16
    .cfi_offset %ebx, -20
    movl 20(%ebp), %ecx
    movl 16(%ebp), %esi
    andl $-16, %esp
    leal 4(,%ecx,4), %eax
    negl %eax
    andl $15, %eax
    subl %eax, %esp
1:
    testl %ecx, %ecx
    jz 2f
    decl %ecx
    pushl (%esi,%ecx,4)
    jmp 1b
2:
    pushl 12(%ebp)
    call *8(%ebp)
    leal -12(%ebp), %esp
    popl %ebx
    popl %edi
    popl %esi
    popl %ebp
    .cfi_def_cfa %esp, 4
    ret
    .cfi_endproc
)");

namespace imprinta::forms {

uintptr_t FindHandler(uint32_t windowId, uint32_t unitId, int event) {
    Runtime& rt = TheRuntime();
    if (rt.eventSuppression >= 1) return 0;
    UnitPlace at = RequireUnitPlace(windowId, unitId, kMissingForEvent);
    TemplateWindow* w = at.window;
    int index = at.index;
    const UnitRecord* r = at.record;
    // Follow event links to units of the same type; a link to another type (or
    // to nothing) keeps the unit's own bindings. Bounded, so a cycle ends.
    for (size_t hops = 0; r->eventLink != 0 && hops < w->units.size(); ++hops) {
        int linked = FindRecordIndex(*w, r->eventLink);
        if (linked < 0 || linked == index) break;
        const UnitRecord& target = w->units[static_cast<size_t>(linked)];
        if (target.type != r->type) break;
        r = &target;
        index = linked;
    }
    uintptr_t handler = 0;
    if (r->menu) {
        handler = r->clickHandler;
    } else {
        const TypeDescriptor* type = RecordType(*r);
        if (!type || !(type->flags & units::kTypeIsUnit)) ReportError("引发事件的窗口组件无效", kErrorNoCode);
        for (const auto& b : r->bindings)
            if (b.event == event) {
                handler = b.handler;
                break;
            }
    }
    if (handler == 0) return 0;
    rt.eventSourceWindow = windowId;
    rt.eventSourceUnit = unitId;
    rt.eventRunning = true;
    return handler;
}

// The event source of an outer handler, put back when a nested one returns.
struct SavedSource {
    bool running;
    uint32_t window, unit;
};
static SavedSource CurrentSource() {
    const Runtime& rt = TheRuntime();
    return {rt.eventRunning, rt.eventSourceWindow, rt.eventSourceUnit};
}

static void RunHandler(uintptr_t handler, EventResultSlot& slot, const uint32_t* words, uint32_t count,
                       const SavedSource& outer) {
    Runtime& rt = TheRuntime();
    // A handler's allocation failure ends here, before it could unwind into
    // the window procedure that raised the event.
    FatalOnBadAlloc([&] { ImprintaCallHandler(handler, &slot, words, count); });
    rt.eventRunning = outer.running;
    rt.eventSourceWindow = outer.running ? outer.window : 0;
    rt.eventSourceUnit = outer.running ? outer.unit : 0;
}

namespace {
std::vector<std::pair<uint32_t, uint32_t>> g_focusSerials;  // window id, count
void NoteFocusEvent(uint32_t windowId) {
    for (auto& e : g_focusSerials)
        if (e.first == windowId) {
            ++e.second;
            return;
        }
    g_focusSerials.push_back({windowId, 1});
}
}  // namespace

uint32_t FocusEventSerial(uint32_t windowId) {
    for (const auto& e : g_focusSerials)
        if (e.first == windowId) return e.second;
    return 0;
}

int64_t RaiseWordEvent(units::EventRecord* rec) {
    if (!rec) return 0;
    if (rec->number == units::kEventFocusGained && TheRuntime().eventSuppression == 0) NoteFocusEvent(rec->formId);
    SavedSource outer = CurrentSource();
    uintptr_t handler = FindHandler(rec->formId, rec->unitId, rec->number);
    if (!handler) return 0;
    EventResultSlot slot = {};
    RunHandler(handler, slot, rec->args, rec->count > 5 ? 5 : rec->count, outer);
    if (slot.hasResult) {
        rec->hasResult = 1;
        rec->result = static_cast<uint32_t>(slot.value);
    }
    return 1;
}

int64_t RaiseTypedEvent(units::TypedEventRecord* rec) {
    if (!rec) return 0;
    SavedSource outer = CurrentSource();
    uintptr_t handler = FindHandler(rec->formId, rec->unitId, rec->number);
    if (!handler) return 0;
    uint32_t words[24];
    uint32_t n = 0;
    uint32_t count = rec->count > 12 ? 12 : rec->count;
    for (uint32_t i = 0; i < count; ++i) {
        const units::TypedEventArgument& a = rec->args[i];
        if (a.flags & 1) {  // by reference: the address
            words[n++] = a.low;
            continue;
        }
        if ((a.flags & 2) || a.type == kMenuItemType) {
            words[n++] = a.low;
            words[n++] = a.high;
            continue;
        }
        switch (a.type) {
        case kTypeByte: words[n++] = a.low & 0xFF; break;
        case kTypeShort: words[n++] = static_cast<uint32_t>(static_cast<int32_t>(static_cast<int16_t>(a.low))); break;
        case kTypeLong:
        case kTypeDouble:
        case kTypeDateTime:
        case 0x80000008:
            words[n++] = a.low;
            words[n++] = a.high;
            break;
        default: words[n++] = a.low; break;
        }
    }
    EventResultSlot slot = {};
    RunHandler(handler, slot, words, n, outer);
    if (slot.hasResult) {
        rec->hasResult = 1;
        rec->resultLow = static_cast<uint32_t>(slot.value);
        rec->resultHigh = static_cast<uint32_t>(slot.value >> 32);
    }
    return 1;
}

units::EventAnswer RaiseInternal(uint32_t windowId, uint32_t unitId, int event, std::initializer_list<uint32_t> args) {
    units::EventRecord rec = {};
    rec.formId = windowId;
    rec.unitId = unitId;
    rec.number = event;
    for (uint32_t a : args)
        if (rec.count < 5) rec.args[rec.count++] = a;
    units::EventAnswer answer;
    answer.ran = RaiseWordEvent(&rec) != 0;
    answer.hasResult = rec.hasResult == 1;
    answer.value = rec.result;
    return answer;
}

}  // namespace imprinta::forms
