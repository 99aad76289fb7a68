#include "runtime/core/dll_call.h"
#include "runtime/core/runtime_interface.h"
#include "runtime/core/runtime_state.h"

// The assembly below raises this error by its number.
static_assert(imprinta::kErrorStackUnbalanced == 6, "pushl $6 below");

asm(R"(
    .text
    .globl _CallDllWords
    .def _CallDllWords; .scl 2; .type 32; .endef
_CallDllWords:
    push %ebp
    mov %esp, %ebp
    push %esi
    push %edi
    push %ebx
    mov 16(%ebp), %edi
    mov 20(%ebp), %ecx
    mov %esp, %esi
1:  test %ecx, %ecx
    jz 2f
    dec %ecx
    pushl (%edi,%ecx,4)
    jmp 1b
2:  mov 20(%ebp), %ebx
    mov 8(%ebp), %eax
    call *(_RuntimeInterfaceTable+4)
    cmpl $0, 12(%ebp)
    je 3f
    lea (%esp,%ebx,4), %esp
3:  cmp %esp, %esi
    jne 4f
    pop %ebx
    pop %edi
    pop %esi
    pop %ebp
    ret
4:  mov %esi, %esp
    pushl $6              # kErrorStackUnbalanced
    call _RaiseRuntimeError
)");
