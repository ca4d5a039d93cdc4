// Stands in for the static runtime's _fltused: the compiler references it from every object that
// uses floating point, to make the linker bring in floating-point support. Its value is unused.
int _fltused = 0x9875;
