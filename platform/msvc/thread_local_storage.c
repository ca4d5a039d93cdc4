// The implicit thread-local storage directory, as Microsoft's static runtime provides it
// (tlssup.obj): what the loader reads to give every thread its own copy of the image's
// thread_local variables. The compiler puts their initial values in .tls$ and addresses them
// through _tls_index and the thread's TLS array at fs:[0x2C] (__tls_array).
#include <windows.h>

ULONG _tls_index = 0;

#pragma section(".tls", long, read, write)
#pragma section(".tls$ZZZ", long, read, write)
__declspec(allocate(".tls")) char _tls_start = 0;
__declspec(allocate(".tls$ZZZ")) char _tls_end = 0;

// No TLS callbacks: an empty, null-terminated list between the .CRT$XL* markers.
#pragma section(".CRT$XLA", long, read)
#pragma section(".CRT$XLZ", long, read)
__declspec(allocate(".CRT$XLA")) const PIMAGE_TLS_CALLBACK __xl_a = 0;
__declspec(allocate(".CRT$XLZ")) const PIMAGE_TLS_CALLBACK __xl_z = 0;

// The linker points the image's TLS directory at _tls_used.
const IMAGE_TLS_DIRECTORY32 _tls_used = {(DWORD)(ULONG_PTR)&_tls_start,
                                         (DWORD)(ULONG_PTR)&_tls_end,
                                         (DWORD)(ULONG_PTR)&_tls_index,
                                         (DWORD)(ULONG_PTR)(&__xl_a + 1),
                                         0,
                                         0};

// The offset of the TLS array in the thread's information block, as an absolute symbol.
__asm__(".globl __tls_array\n.set __tls_array, 0x2C");
