// The application's code base: two do-nothing routines, then one 8-byte jump
// stub per event handler, so that handler k sits at code base + 8 * k and form
// templates can name handlers by a build-time offset.
//
// Usage, with an X-macro list of handler names:
//   #define MAIN_HANDLERS(X) X(OnCreated) X(OnDestroying) X(RefreshPreview)
//   IMPRINTA_HANDLER_INDICES(MAIN_HANDLERS)     // enum HandlerIndex { kHandler_OnCreated = 0, ... }
//   IMPRINTA_DEFINE_CODE_BASE(MAIN_HANDLERS)    // in exactly one Windows source file
// Handlers are  extern "C" void __cdecl Name(EventResultSlot* result, uint32_t arg1, ...);
// the application header's code base is ImprintaCodeBase.
#pragma once
#include <cstdint>

// enum HandlerIndex { kHandler_Name0 = 0, kHandler_Name1, ..., kHandlerCount }
#define IMPRINTA_HANDLER_ENUM_ENTRY(name) kHandler_##name,
#define IMPRINTA_HANDLER_INDICES(LIST) \
    enum HandlerIndex : int32_t { LIST(IMPRINTA_HANDLER_ENUM_ENTRY) kHandlerCount };

#if defined(_WIN32) && defined(__i386__)
extern "C" {
extern const char ImprintaCodeBase[];
int ImprintaReturnZero(void);
void ImprintaJustReturn(void);
}

#define IMPRINTA_HANDLER_STUB(name) ".p2align 3, 0x90\n\tjmp _" #name "\n"

#define IMPRINTA_DEFINE_CODE_BASE(LIST)                 \
    asm(".text\n"                                       \
        "\t.p2align 4, 0x90\n"                          \
        "\t.globl _ImprintaReturnZero\n"                \
        "_ImprintaReturnZero:\n"                        \
        "\txorl %eax, %eax\n"                           \
        "\tret\n"                                       \
        "\t.globl _ImprintaJustReturn\n"                \
        "_ImprintaJustReturn:\n"                        \
        "\tret\n"                                       \
        "\t.p2align 3, 0x90\n"                          \
        "\t.globl _ImprintaCodeBase\n"                  \
        "_ImprintaCodeBase:\n"                          \
        LIST(IMPRINTA_HANDLER_STUB)                     \
        "\t.p2align 3, 0x90\n");
#endif
