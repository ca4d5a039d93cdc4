// A console program's entry point, as Microsoft's static runtime provides it (mainCRTStartup):
// static objects, main with the command line's arguments, the program's exit list, then the C
// runtime's exit, which flushes the standard streams.
#include <stdlib.h>

#include "exit_list.h"

int main(int argc, char** argv);

// From ucrtbase, as the UCRT's startup header declares them.
_ACRTIMP int __cdecl _configure_narrow_argv(int mode);
_ACRTIMP int* __cdecl __p___argc(void);
_ACRTIMP char*** __cdecl __p___argv(void);

void __cdecl mainCRTStartup(void)
{
    enum { arguments_unexpanded = 1 };  // _crt_argv_unexpanded_arguments
    _configure_narrow_argv(arguments_unexpanded);
    pyrelle_run_static_initializers();
    const int status = main(*__p___argc(), *__p___argv());
    pyrelle_run_exit_list();
    exit(status);
}
