// std::mutex's members, which libc++'s headers leave to its library: with Win32 threads its
// state is one pointer-sized slot, used as a slim reader/writer lock, as libc++'s own Win32
// support uses it. An SRW lock needs no destruction.
#include <windows.h>

#include <mutex>

_LIBCPP_BEGIN_NAMESPACE_STD

void mutex::lock() { AcquireSRWLockExclusive(reinterpret_cast<PSRWLOCK>(&__m_)); }

bool mutex::try_lock() noexcept { return TryAcquireSRWLockExclusive(reinterpret_cast<PSRWLOCK>(&__m_)) != 0; }

void mutex::unlock() noexcept { ReleaseSRWLockExclusive(reinterpret_cast<PSRWLOCK>(&__m_)); }

_LIBCPP_END_NAMESPACE_STD
