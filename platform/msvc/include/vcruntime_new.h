#pragma once
// Stands in for Microsoft's vcruntime_new.h: std::nothrow_t, std::align_val_t and the
// declarations of the global operators new and delete, which libc++'s <new> leaves to it in this
// ABI. The replaceable operators are defined in platform/msvc/operator_new.cpp, the placement
// forms here.
#include <vcruntime.h>

#include <stddef.h>

namespace std {
struct nothrow_t {
    explicit nothrow_t() = default;
};
extern const nothrow_t nothrow;
#ifdef __cpp_aligned_new
enum class align_val_t : size_t {};
#endif
}  // namespace std

[[nodiscard]] void* __cdecl operator new(size_t size);
[[nodiscard]] void* __cdecl operator new(size_t size, const std::nothrow_t&) noexcept;
[[nodiscard]] void* __cdecl operator new[](size_t size);
[[nodiscard]] void* __cdecl operator new[](size_t size, const std::nothrow_t&) noexcept;
void __cdecl operator delete(void* block) noexcept;
void __cdecl operator delete(void* block, const std::nothrow_t&) noexcept;
void __cdecl operator delete[](void* block) noexcept;
void __cdecl operator delete[](void* block, const std::nothrow_t&) noexcept;
void __cdecl operator delete(void* block, size_t size) noexcept;
void __cdecl operator delete[](void* block, size_t size) noexcept;
#ifdef __cpp_aligned_new
[[nodiscard]] void* __cdecl operator new(size_t size, std::align_val_t alignment);
[[nodiscard]] void* __cdecl operator new(size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept;
[[nodiscard]] void* __cdecl operator new[](size_t size, std::align_val_t alignment);
[[nodiscard]] void* __cdecl operator new[](size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept;
void __cdecl operator delete(void* block, std::align_val_t alignment) noexcept;
void __cdecl operator delete(void* block, std::align_val_t alignment, const std::nothrow_t&) noexcept;
void __cdecl operator delete[](void* block, std::align_val_t alignment) noexcept;
void __cdecl operator delete[](void* block, std::align_val_t alignment, const std::nothrow_t&) noexcept;
void __cdecl operator delete(void* block, size_t size, std::align_val_t alignment) noexcept;
void __cdecl operator delete[](void* block, size_t size, std::align_val_t alignment) noexcept;
#endif

#ifndef __PLACEMENT_NEW_INLINE
#define __PLACEMENT_NEW_INLINE
[[nodiscard]] inline void* __cdecl operator new(size_t, void* where) noexcept { return where; }
inline void __cdecl operator delete(void*, void*) noexcept {}
#endif
#ifndef __PLACEMENT_VEC_NEW_INLINE
#define __PLACEMENT_VEC_NEW_INLINE
[[nodiscard]] inline void* __cdecl operator new[](size_t, void* where) noexcept { return where; }
inline void __cdecl operator delete[](void*, void*) noexcept {}
#endif
