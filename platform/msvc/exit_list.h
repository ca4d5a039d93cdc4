#pragma once
// The program's or DLL's own list of functions to run at its end: the destructors of its static
// objects, which clang registers through atexit. Stands in for the module-local exit table that
// Microsoft's static runtime keeps in every DLL and program, so a DLL's destructors run when it is
// unloaded, not when the process ends.
#ifdef __cplusplus
extern "C" {
#endif

// Runs the static initializers of this image (.CRT$XCA..XCZ), in order.
void __cdecl pyrelle_run_static_initializers(void);
// Runs what atexit registered, last registered first, and empties the list.
void __cdecl pyrelle_run_exit_list(void);

#ifdef __cplusplus
}
#endif
