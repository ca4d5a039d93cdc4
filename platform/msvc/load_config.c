// The image's load configuration, as Microsoft's static runtime provides it (loadcfg.obj): it
// holds the SafeSEH table, the list of the only exception handlers that Windows will call for
// this image's frames. lld-link builds the table from the objects' .sxdata sections and defines
// its address and count; without this directory the table would be built and never seen.
#include <windows.h>

extern const void* __safe_se_handler_table[];
extern const char __safe_se_handler_count;  // its address is the count

const IMAGE_LOAD_CONFIG_DIRECTORY32 _load_config_used = {
    .Size = sizeof(IMAGE_LOAD_CONFIG_DIRECTORY32),
    .SEHandlerTable = (DWORD)(ULONG_PTR)__safe_se_handler_table,
    .SEHandlerCount = (DWORD)(ULONG_PTR)&__safe_se_handler_count,
};
