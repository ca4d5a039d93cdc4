// std::exception_ptr's members, which libc++'s headers leave to its library in this ABI: an
// exception_ptr is Microsoft's two-pointer object, managed by msvcp140's __ExceptionPtr*
// functions, so it holds the runtime's own record of a thrown exception.
#include <exception>

__declspec(dllimport) void __cdecl __ExceptionPtrCreate(void* pointer);
__declspec(dllimport) void __cdecl __ExceptionPtrDestroy(void* pointer);
__declspec(dllimport) void __cdecl __ExceptionPtrCopy(void* pointer, const void* from);
__declspec(dllimport) void __cdecl __ExceptionPtrAssign(void* pointer, const void* from);
__declspec(dllimport) bool __cdecl __ExceptionPtrToBool(const void* pointer);
__declspec(dllimport) void __cdecl __ExceptionPtrCurrentException(void* pointer);
[[noreturn]] __declspec(dllimport) void __cdecl __ExceptionPtrRethrow(const void* pointer);

namespace std {

exception_ptr::exception_ptr() noexcept { __ExceptionPtrCreate(this); }
exception_ptr::exception_ptr(nullptr_t) noexcept { __ExceptionPtrCreate(this); }
exception_ptr::exception_ptr(const exception_ptr& other) noexcept { __ExceptionPtrCopy(this, &other); }
exception_ptr::~exception_ptr() noexcept { __ExceptionPtrDestroy(this); }

exception_ptr& exception_ptr::operator=(const exception_ptr& other) noexcept
{
    __ExceptionPtrAssign(this, &other);
    return *this;
}

exception_ptr::operator bool() const noexcept { return __ExceptionPtrToBool(this); }

exception_ptr current_exception() noexcept
{
    exception_ptr current;
    __ExceptionPtrCurrentException(&current);
    return current;
}

void rethrow_exception(exception_ptr pointer) { __ExceptionPtrRethrow(&pointer); }

}  // namespace std
