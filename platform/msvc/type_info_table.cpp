// The operation table of type_info (??_7type_info@@6B@), which every type descriptor that the
// compiler emits for exceptions and RTTI points at. Microsoft's static runtime carries it and no
// Wine DLL exports it. The compiler emits a class's table only where it constructs one, and no
// code constructs a type_info, so the table is defined here by its name: one slot, the scalar
// deleting destructor. No one deletes a type descriptor; the slot is there for the layout.
#include <typeinfo>

type_info::~type_info() noexcept {}

namespace {
void* __thiscall delete_type_info(type_info* self, unsigned int flags)
{
    self->~type_info();
    if ((flags & 1) != 0) {
        ::operator delete(self);
    }
    return self;
}
}  // namespace

extern "C" void* const pyrelle_type_info_table[] __asm__("??_7type_info@@6B@") = {
    reinterpret_cast<void*>(&delete_type_info)};
