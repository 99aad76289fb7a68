// The test program's code base and its handlers.
#include "forms_test_handlers.h"

IMPRINTA_DEFINE_CODE_BASE(FORMS_TEST_HANDLERS)

namespace formstest {

void (*g_duringEvent)() = nullptr;

std::vector<HandlerCall>& Calls() {
    static std::vector<HandlerCall> calls;
    return calls;
}

std::vector<std::string> CallNames() {
    std::vector<std::string> names;
    for (const auto& c : Calls()) names.push_back(c.handler);
    return names;
}

static void Record(const char* name, std::vector<uint32_t> args) {
    uint32_t source[2] = {0, 0};
    bool known = RuntimeNotify(kNotifyEventSource, static_cast<uint32_t>(reinterpret_cast<uintptr_t>(source)), 0, 0) == 1;
    Calls().push_back({name, known, source[0], source[1], std::move(args)});
}

}  // namespace formstest

using formstest::Record;

extern "C" {

void __cdecl OnEvent(EventResultSlot*, uint32_t a, uint32_t b, uint32_t c) {
    Record("OnEvent", {a, b, c});
    if (auto f = formstest::g_duringEvent) {
        formstest::g_duringEvent = nullptr;
        f();
    }
}
void __cdecl ReturnFalse(EventResultSlot* r) {
    Record("ReturnFalse", {});
    r->hasResult = 1;
    r->value = 0;
}
void __cdecl ReturnTrue(EventResultSlot* r) {
    Record("ReturnTrue", {});
    r->hasResult = 1;
    r->value = 1;
}
void __cdecl Return65(EventResultSlot* r, uint32_t ch) {
    Record("Return65", {ch});
    r->hasResult = 1;
    r->value = 65;
}
void __cdecl OnCreated(EventResultSlot*) { Record("OnCreated", {}); }
void __cdecl OnMoved(EventResultSlot*) { Record("OnMoved", {}); }
void __cdecl OnResized(EventResultSlot*) { Record("OnResized", {}); }
void __cdecl OnDestroying(EventResultSlot*) { Record("OnDestroying", {}); }
void __cdecl OnCanClose(EventResultSlot*) { Record("OnCanClose", {}); }
void __cdecl LinkedHandler(EventResultSlot*) { Record("LinkedHandler", {}); }
void __cdecl OwnHandler(EventResultSlot*) { Record("OwnHandler", {}); }
// byte, short, long (two words), by-reference address, then a plain word.
void __cdecl TypedArgs(EventResultSlot* r, uint32_t b, uint32_t s, uint32_t lo, uint32_t hi, uint32_t ref, uint32_t w) {
    Record("TypedArgs", {b, s, lo, hi, ref, w});
    r->hasResult = 1;
    r->value = 0x1122334455667788ull;
}
void __cdecl IdleWantsMore(EventResultSlot* r, uint32_t ms) {
    Record("IdleWantsMore", {ms});
    r->hasResult = 1;
    r->value = formstest::Calls().size() < 3 ? 1 : 0;
}

}  // extern "C"
