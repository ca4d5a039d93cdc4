#pragma once
// The render thread's start routine, kept apart because its last act cannot be written in C++:
// it runs pyrelle_render_thread_body and then jumps, not calls, into SetEvent with the event the
// body returned. SetEvent then returns straight to the system's thread start-up code, which ends
// the thread. A call would return into this module, which an unload that saw the event could
// already have unmapped (render_thread.h says when that happens). The thread's exit code is
// SetEvent's result.
#include <windows.h>

extern "C" {

DWORD WINAPI render_thread_entry(void* parameter) noexcept;

// The whole life of the thread but its last act (render_thread.cpp): the event to set.
HANDLE pyrelle_render_thread_body(void* parameter) noexcept;
}
