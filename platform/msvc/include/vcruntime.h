#pragma once
// Stands in for Microsoft's vcruntime.h, of which the other stand-ins here need one thing: C++
// exceptions are on, so libc++ takes std::exception, bad_alloc and type_info from them.
#ifndef _HAS_EXCEPTIONS
#define _HAS_EXCEPTIONS 1
#endif
