#include "fire/render_thread_entry.h"

#if !defined(__i386__)
#error "render_thread_entry's last jump is written for 32-bit x86"
#endif

// render_thread_entry is stdcall with one argument, like SetEvent, so it overwrites its own
// argument with the event and jumps; SetEvent's return pops that argument and goes back to the
// thread's caller.
asm(R"(
    .text
    .globl _render_thread_entry@4
    .def _render_thread_entry@4; .scl 2; .type 32; .endef
_render_thread_entry@4:
    pushl 4(%esp)
    call _pyrelle_render_thread_body
    addl $4, %esp
    movl %eax, 4(%esp)
    jmp *__imp__SetEvent@4
)");
