#pragma once
// How the configuration blob travels: the host's byte streams and abort signal, the exceptions
// the module raises on them, and the readers and the writer the module implements itself.
#include <cstddef>
#include <cstdint>
#include <exception>

namespace pyrelle {

// ---- the host's streams ----------------------------------------------------------------------
// These are the host's objects: the slot order of each virtual table is a contract, nothing may
// be added, removed or reordered, and there is no virtual destructor (the host frees its own
// objects).
//
// Every operation takes the abort signal last and hands it on unchanged; failures are exceptions
// (the module's are below).

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
    virtual void read_exact(void* buffer, std::uint32_t count, abort_signal& abort) = 0;  // 1
    // Skips up to `count` bytes; returns how many were skipped.
    virtual std::uint64_t skip(std::uint64_t count, abort_signal& abort) = 0;  // 2
    // Skips exactly `count` bytes or throws exception_io_data_truncation.
    virtual void skip_exact(std::uint64_t count, abort_signal& abort) = 0;  // 3

protected:
    stream_reader() = default;
    stream_reader(const stream_reader&) = default;
    stream_reader& operator=(const stream_reader&) = default;
    ~stream_reader() = default;
};

class stream_writer {
public:
    // Writes all `count` bytes of `buffer` or throws.
    virtual void write(const void* buffer, std::uint32_t count, abort_signal& abort) = 0;  // 0

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

// ---- stream failures ----------------------------------------------------------------------------
// Stream failures. Each class reports a fixed static text (never copied, never freed), so throwing
// one cannot itself fail for lack of memory.

class exception_io : public std::exception {
public:
    const char* what() const noexcept override;
};

// The bytes do not have the form the reader expects.
class exception_io_data : public exception_io {
public:
    const char* what() const noexcept override;
};

// The data ended before an exact read or skip was satisfied.
class exception_io_data_truncation : public exception_io_data {
public:
    const char* what() const noexcept override;
};

// ---- the module's readers -----------------------------------------------------------------------
// Base of every stream_reader that the module implements itself: a derived reader supplies only
// `read`, and the exact read and the skips are built on it here, so they can never pass a limit
// that `read` enforces.

class module_reader : public stream_reader {
public:
    // One `read` of the full count; any other result throws exception_io_data_truncation.
    void read_exact(void* buffer, std::uint32_t count, abort_signal& abort) final;
    // Reads and discards through a 256-byte local buffer, at most 256 bytes per `read`, until the
    // count is reached or one `read` returns short; returns the bytes consumed. A reader that
    // reports more than it was asked for is broken and throws exception_io_data.
    std::uint64_t skip(std::uint64_t count, abort_signal& abort) final;
    // `skip`, then exception_io_data_truncation unless the whole count was skipped.
    void skip_exact(std::uint64_t count, abort_signal& abort) final;

protected:
    module_reader() = default;
    module_reader(const module_reader&) = default;
    module_reader& operator=(const module_reader&) = default;
    ~module_reader() = default;
};

// ---- a record's payload -------------------------------------------------------------------------
// A window of at most `remaining` bytes onto another reader: a variable reading its record's
// payload through it can never consume the next record, however many bytes it asks for.

class limited_reader final : public module_reader {
public:
    // `source` is not owned and must outlive the limited_reader.
    limited_reader(stream_reader& source, std::uint32_t limit) noexcept : source_(source), remaining_(limit) {}

    // Asks `source` for min(count, remaining) bytes and counts what arrived against the limit.
    // A source that reports more than it was asked for throws exception_io_data, and from then
    // on source_overran() is true.
    std::uint32_t read(void* buffer, std::uint32_t count, abort_signal& abort) override;

    std::uint32_t remaining() const noexcept { return remaining_; }

    // Whether `source` ever reported more bytes than it was asked for. Its position is then
    // unknown, so nothing after the payload can be found any more, even when the reader of the
    // payload swallowed the exception.
    bool source_overran() const noexcept { return source_overran_; }

private:
    stream_reader& source_;
    std::uint32_t remaining_;
    bool source_overran_ = false;
};

// ---- bytes in memory ----------------------------------------------------------------------------
// A stream_reader over bytes already in memory: how the tools and the tests hand a stored blob to
// read_configuration.

class memory_reader final : public module_reader {
public:
    // The bytes are not copied and must outlive the reader.
    memory_reader(const void* data, std::size_t size) noexcept
        : data_(static_cast<const std::uint8_t*>(data)), size_(size)
    {
    }

    std::uint32_t read(void* buffer, std::uint32_t count, abort_signal& abort) override;

    // Bytes consumed so far.
    std::size_t position() const noexcept { return position_; }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t position_ = 0;
};

// ---- the write buffer ---------------------------------------------------------------------------
// A growable byte buffer and the stream_writer that appends to it. write_configuration collects
// each variable's value in one before it knows the value's byte count.
//
// Growth doubles the capacity (starting from 1) until the new size fits, so a run of small writes
// costs few reallocations; clearing keeps the capacity for the next variable. Sizes are 32-bit,
// like the record's size field: a size or capacity that would not fit, like an exhausted heap,
// throws std::bad_alloc and leaves the buffer as it was.

// The capacity a buffer of `capacity` bytes holding `size` needs to take `count` more bytes:
// `capacity` itself when they fit, otherwise max(capacity, 1) doubled until they do.
// Throws std::bad_alloc when size + count or a doubling overflows 32 bits.
std::uint32_t grown_capacity(std::uint32_t size, std::uint32_t capacity, std::uint32_t count);

class byte_buffer {
public:
    byte_buffer() noexcept = default;
    byte_buffer(const byte_buffer&) = delete;
    byte_buffer& operator=(const byte_buffer&) = delete;
    ~byte_buffer();

    // Appends `count` bytes; `bytes` may point into this buffer.
    void append(const void* bytes, std::uint32_t count);
    // Size back to 0; the block and its capacity stay.
    void clear() noexcept { size_ = 0; }

    const std::uint8_t* data() const noexcept { return data_; }
    std::uint32_t size() const noexcept { return size_; }
    std::uint32_t capacity() const noexcept { return capacity_; }

private:
    std::uint8_t* data_ = nullptr;
    std::uint32_t size_ = 0;
    std::uint32_t capacity_ = 0;
};

class memory_writer final : public stream_writer {
public:
    // The buffer belongs to the caller and must outlive the writer.
    explicit memory_writer(byte_buffer& target) noexcept : target_(target) {}

    void write(const void* buffer, std::uint32_t count, abort_signal& abort) override;

private:
    byte_buffer& target_;
};

}  // namespace pyrelle
