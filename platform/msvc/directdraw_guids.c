// The DirectDraw interface identifiers, defined here in place of Wine's dxguid.a, whose objects
// carry no SafeSEH marker and so cannot be linked into a SafeSEH image.
#define INITGUID
#include <windows.h>

#include <ddraw.h>
