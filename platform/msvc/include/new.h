#pragma once
// Stands in for Microsoft's new.h, which libc++'s <new> includes in this ABI: the exception
// classes and the operators' declarations.
#include <vcruntime_exception.h>
#include <vcruntime_new.h>
