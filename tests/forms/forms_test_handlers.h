// Event handlers of the form tests, in code-base order, and what they record.
#pragma once
#include <cstdint>
#include <string>
#include <vector>
#include "runtime/core/runtime_interface.h"
#include "runtime/forms/handler_table.h"

#define FORMS_TEST_HANDLERS(X) \
    X(OnEvent)                 \
    X(ReturnFalse)             \
    X(ReturnTrue)              \
    X(Return65)                \
    X(OnCreated)               \
    X(OnMoved)                 \
    X(OnResized)               \
    X(OnDestroying)            \
    X(OnCanClose)              \
    X(LinkedHandler)           \
    X(OwnHandler)              \
    X(TypedArgs)               \
    X(IdleWantsMore)

IMPRINTA_HANDLER_INDICES(FORMS_TEST_HANDLERS)

namespace formstest {

struct HandlerCall {
    std::string handler;
    bool sourceKnown;       // notification 2017 answered 1
    uint32_t sourceWindow;
    uint32_t sourceUnit;
    std::vector<uint32_t> args;  // as many words as the handler reads
};

std::vector<HandlerCall>& Calls();
std::vector<std::string> CallNames();
// Runs inside the next OnEvent call (then cleared).
extern void (*g_duringEvent)();

}  // namespace formstest
