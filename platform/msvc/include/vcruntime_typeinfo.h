#pragma once
// Stands in for Microsoft's vcruntime_typeinfo.h: type_info with Microsoft's layout (a table
// pointer, a cache for the readable name, then the decorated name), in the global namespace as
// Microsoft's compiler expects, and the bad_cast and bad_typeid exceptions. Comparing and hashing
// are the runtime's; the table itself is platform/msvc/type_info_table.cpp's.
#include <vcruntime_exception.h>

#include <stddef.h>

extern "C" {
struct __std_type_info_data {
    const char* _UndecoratedName;
    const char _DecoratedName[1];
};
__declspec(dllimport) int __cdecl __std_type_info_compare(const __std_type_info_data* left,
                                                          const __std_type_info_data* right);
__declspec(dllimport) size_t __cdecl __std_type_info_hash(const __std_type_info_data* data);
}

class type_info {
public:
    type_info(const type_info&) = delete;
    type_info& operator=(const type_info&) = delete;

    size_t hash_code() const noexcept { return __std_type_info_hash(&_Data); }
    bool operator==(const type_info& other) const noexcept
    {
        return __std_type_info_compare(&_Data, &other._Data) == 0;
    }
    bool operator!=(const type_info& other) const noexcept { return !(*this == other); }
    bool before(const type_info& other) const noexcept { return __std_type_info_compare(&_Data, &other._Data) < 0; }
    // Declared only: the readable name needs a cache that Microsoft's static runtime keeps, and
    // nothing here asks for one. A use fails at link time rather than naming types differently.
    const char* name() const noexcept;
    const char* raw_name() const noexcept { return _Data._DecoratedName; }

    virtual ~type_info() noexcept;

private:
    mutable __std_type_info_data _Data;
};

namespace std {
using ::type_info;

class bad_cast : public exception {
public:
    bad_cast() noexcept : exception("bad cast", 1) {}
};

class bad_typeid : public exception {
public:
    bad_typeid() noexcept : exception("bad typeid", 1) {}
};
}  // namespace std
