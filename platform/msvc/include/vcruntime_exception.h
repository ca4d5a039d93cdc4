#pragma once
// Stands in for Microsoft's vcruntime_exception.h: std::exception and the allocation failures
// with Microsoft's layout and names, so a host built with Microsoft's compiler catches what the
// module throws as its own std::exception. The object is a table pointer, the message and a flag
// saying whether the message is a copy to free; the table holds the scalar deleting destructor,
// then what(). Copying and freeing the message is the runtime's (vcruntime140 or ucrtbase).
#include <vcruntime.h>

extern "C" {
struct __std_exception_data {
    const char* _What;
    bool _DoFree;
};
__declspec(dllimport) void __cdecl __std_exception_copy(const __std_exception_data* from, __std_exception_data* to);
__declspec(dllimport) void __cdecl __std_exception_destroy(__std_exception_data* data);
}

namespace std {

class exception {
public:
    exception() noexcept : _Data() {}
    // A message that is copied; the copy is freed with the exception.
    explicit exception(const char* const message) noexcept : _Data()
    {
        const __std_exception_data borrowed = {message, true};
        __std_exception_copy(&borrowed, &_Data);
    }
    // A static message, neither copied nor freed.
    exception(const char* const message, int) noexcept : _Data() { _Data._What = message; }
    exception(const exception& other) noexcept : _Data() { __std_exception_copy(&other._Data, &_Data); }
    exception& operator=(const exception& other) noexcept
    {
        if (this != &other) {
            __std_exception_destroy(&_Data);
            __std_exception_copy(&other._Data, &_Data);
        }
        return *this;
    }
    virtual ~exception() noexcept { __std_exception_destroy(&_Data); }

    virtual const char* what() const { return _Data._What != nullptr ? _Data._What : "Unknown exception"; }

private:
    __std_exception_data _Data;
};

class bad_exception : public exception {
public:
    bad_exception() noexcept : exception("bad exception", 1) {}
};

class bad_alloc : public exception {
public:
    bad_alloc() noexcept : exception("bad allocation", 1) {}

private:
    friend class bad_array_new_length;
    explicit bad_alloc(const char* const message) noexcept : exception(message, 1) {}
};

class bad_array_new_length : public bad_alloc {
public:
    bad_array_new_length() noexcept : bad_alloc("bad array new length") {}
};

}  // namespace std
