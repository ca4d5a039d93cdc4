// Static initialization and the image-local exit list, as Microsoft's static runtime objects
// provide them. The compiler puts a pointer to each translation unit's initializer in a .CRT$XCU
// section; the linker sorts the .CRT$XC* sections by name, so the two markers below bracket them.
#include "exit_list.h"

// The C runtime's headers declare atexit as ucrtbase's import; this file defines its own.
#define atexit pyrelle_crt_atexit
#include <windows.h>
#undef atexit

typedef void(__cdecl* pyrelle_function)(void);

#pragma section(".CRT$XCA", long, read)
#pragma section(".CRT$XCZ", long, read)
__declspec(allocate(".CRT$XCA")) static const pyrelle_function first_initializer = 0;
__declspec(allocate(".CRT$XCZ")) static const pyrelle_function last_initializer = 0;

void __cdecl pyrelle_run_static_initializers(void)
{
    // Padding between the sections reads as null entries.
    for (const pyrelle_function* entry = &first_initializer + 1; entry < &last_initializer; ++entry) {
        if (*entry != 0) {
            (*entry)();
        }
    }
}

// Registrations come from static initialization (under the loader's lock) and from function-local
// statics on any thread, hence the lock.
static SRWLOCK exit_lock = SRWLOCK_INIT;
static pyrelle_function* exit_functions;
static size_t exit_count;
static size_t exit_capacity;

// Replaces the CRT's atexit for this image: ucrtbase's would run the function at process exit,
// after a DLL that registered it is gone.
int __cdecl atexit(pyrelle_function function)
{
    int result = 0;
    AcquireSRWLockExclusive(&exit_lock);
    if (exit_count == exit_capacity) {
        const size_t capacity = exit_capacity == 0 ? 32 : exit_capacity * 2;
        pyrelle_function* const grown =
            exit_functions == 0 ? HeapAlloc(GetProcessHeap(), 0, capacity * sizeof *grown)
                                : HeapReAlloc(GetProcessHeap(), 0, exit_functions, capacity * sizeof *grown);
        if (grown == 0) {
            result = -1;
        } else {
            exit_functions = grown;
            exit_capacity = capacity;
        }
    }
    if (result == 0) {
        exit_functions[exit_count++] = function;
    }
    ReleaseSRWLockExclusive(&exit_lock);
    return result;
}

void __cdecl pyrelle_run_exit_list(void)
{
    for (;;) {
        pyrelle_function function = 0;
        AcquireSRWLockExclusive(&exit_lock);
        if (exit_count != 0) {
            function = exit_functions[--exit_count];
        }
        ReleaseSRWLockExclusive(&exit_lock);
        if (function == 0) {
            break;
        }
        function();
    }
    if (exit_functions != 0) {
        HeapFree(GetProcessHeap(), 0, exit_functions);
        exit_functions = 0;
        exit_capacity = 0;
    }
}
