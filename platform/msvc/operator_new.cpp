// The global operators new and delete, and std::nothrow: what Microsoft's static runtime
// (new_scalar.obj and its neighbours) provides, on ucrtbase's malloc and free. A failed allocation
// throws std::bad_alloc, which a host built with Microsoft's compiler catches as its own.
#include <stdlib.h>

#include <new>

const std::nothrow_t std::nothrow{};

void* __cdecl operator new(size_t size)
{
    void* const block = malloc(size != 0 ? size : 1);
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    return block;
}

void* __cdecl operator new[](size_t size) { return ::operator new(size); }

void* __cdecl operator new(size_t size, const std::nothrow_t&) noexcept { return malloc(size != 0 ? size : 1); }

void* __cdecl operator new[](size_t size, const std::nothrow_t& tag) noexcept { return ::operator new(size, tag); }

void __cdecl operator delete(void* block) noexcept { free(block); }
void __cdecl operator delete[](void* block) noexcept { free(block); }
void __cdecl operator delete(void* block, size_t) noexcept { free(block); }
void __cdecl operator delete[](void* block, size_t) noexcept { free(block); }
void __cdecl operator delete(void* block, const std::nothrow_t&) noexcept { free(block); }
void __cdecl operator delete[](void* block, const std::nothrow_t&) noexcept { free(block); }

// libc++'s own throw of bad_alloc (an allocator asked for more than it can count).
_LIBCPP_BEGIN_NAMESPACE_STD
void __throw_bad_alloc() { throw bad_alloc(); }
_LIBCPP_END_NAMESPACE_STD
