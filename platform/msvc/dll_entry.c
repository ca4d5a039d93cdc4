// A DLL's entry point, as Microsoft's static runtime provides it (_DllMainCRTStartup): static
// objects are made when the DLL is loaded and destroyed when it is unloaded. Nothing else: the
// project's DLLs have no DllMain of their own.
#include <windows.h>

#include "exit_list.h"

BOOL WINAPI _DllMainCRTStartup(HINSTANCE instance, DWORD reason, void* reserved)
{
    (void)instance;
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH) {
        pyrelle_run_static_initializers();
    } else if (reason == DLL_PROCESS_DETACH) {
        pyrelle_run_exit_list();
    }
    return TRUE;
}
