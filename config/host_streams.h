#pragma once
// The host's byte streams and abort signal, through which the configuration blob travels. These
// are the host's objects: the slot order of each virtual table is a contract, nothing may be added,
// removed or reordered, and there is no virtual destructor (the host frees its own objects).
//
// Every operation takes the abort signal last and hands it on unchanged; failures are exceptions
// (the module's are in config/io_exceptions.h).
#include <cstdint>

namespace pyrelle {

// Lets the host cancel a long transfer. The module never asks it anything itself; it only passes
// it on to the streams it calls.
class abort_signal {
public:
    virtual bool is_aborting() const = 0;  // slot 0

protected:
    abort_signal() = default;
    abort_signal(const abort_signal&) = default;
    abort_signal& operator=(const abort_signal&) = default;
    ~abort_signal() = default;
};

class stream_reader {
public:
    // Reads up to `count` bytes into `buffer`; returns how many arrived. Fewer than asked means
    // the data has ended.
    virtual std::uint32_t read(void* buffer, std::uint32_t count, abort_signal& abort) = 0;  // 0
    // Reads exactly `count` bytes or throws exception_io_data_truncation.
    virtual void read_exact(void* buffer, std::uint32_t count, abort_signal& abort) = 0;     // 1
    // Skips up to `count` bytes; returns how many were skipped.
    virtual std::uint64_t skip(std::uint64_t count, abort_signal& abort) = 0;                // 2
    // Skips exactly `count` bytes or throws exception_io_data_truncation.
    virtual void skip_exact(std::uint64_t count, abort_signal& abort) = 0;                   // 3

protected:
    stream_reader() = default;
    stream_reader(const stream_reader&) = default;
    stream_reader& operator=(const stream_reader&) = default;
    ~stream_reader() = default;
};

class stream_writer {
public:
    // Writes all `count` bytes of `buffer` or throws.
    virtual void write(const void* buffer, std::uint32_t count, abort_signal& abort) = 0;    // 0

protected:
    stream_writer() = default;
    stream_writer(const stream_writer&) = default;
    stream_writer& operator=(const stream_writer&) = default;
    ~stream_writer() = default;
};

// An abort signal that is never raised, for callers that have no host behind them (tools, tests).
class never_abort final : public abort_signal {
public:
    bool is_aborting() const override { return false; }
};

}  // namespace pyrelle
