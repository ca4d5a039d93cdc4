// Preloaded into `pyrelle`: the first fsync() raises SIGTERM first, as a Ctrl-C that lands while
// the finished files are being put on disk would, just before they would be moved into place.
#define _GNU_SOURCE
#include <dlfcn.h>
#include <signal.h>

int fsync(int fd)
{
    static int raised = 0;
    int (*real_fsync)(int);
    *(void**)&real_fsync = dlsym(RTLD_NEXT, "fsync");
    if (!raised) {
        raised = 1;
        raise(SIGTERM);
    }
    return real_fsync(fd);
}
