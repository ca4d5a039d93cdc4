#include "prefs/display_mode_list.h"

#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>

namespace pyrelle {
namespace {

// A block of exactly n records (null for none), or std::bad_alloc.
display_mode* allocate_modes(std::uint32_t n)
{
    if (n == 0) {
        return nullptr;
    }
    if (n > max_display_modes) {
        throw std::bad_alloc();
    }
    void* block = std::malloc(std::size_t{n} * sizeof(display_mode));
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    return static_cast<display_mode*>(block);
}

}  // namespace

display_mode_list::display_mode_list(display_mode_list&& other) noexcept
    : items_(other.items_), count_(other.count_), capacity_(other.capacity_)
{
    other.items_ = nullptr;
    other.count_ = 0;
    other.capacity_ = 0;
}

display_mode_list& display_mode_list::operator=(display_mode_list&& other) noexcept
{
    if (this != &other) {
        std::free(items_);
        items_ = other.items_;
        count_ = other.count_;
        capacity_ = other.capacity_;
        other.items_ = nullptr;
        other.count_ = 0;
        other.capacity_ = 0;
    }
    return *this;
}

display_mode_list::~display_mode_list() { std::free(items_); }

// The heap of the module's runtime offers no portable in-place resize, so a new capacity always
// means a new block; the records kept are the same either way.
void display_mode_list::set_capacity(std::uint32_t n)
{
    if (n == capacity_) {
        return;
    }
    display_mode* block = allocate_modes(n);
    const std::uint32_t kept = count_ < n ? count_ : n;
    if (kept != 0) {
        std::memcpy(block, items_, std::size_t{kept} * sizeof(display_mode));
    }
    std::free(items_);
    items_ = block;
    capacity_ = n;
    count_ = kept;
}

void display_mode_list::resize(std::uint32_t n)
{
    const std::uint32_t old_count = count_;
    set_capacity(n);
    // Records that come into use hold zeros rather than whatever the heap left there.
    if (n > old_count) {
        std::memset(items_ + old_count, 0, std::size_t{n - old_count} * sizeof(display_mode));
    }
    count_ = n;
}

void display_mode_list::grow(std::uint32_t k)
{
    if (k > std::numeric_limits<std::uint32_t>::max() - count_) {
        throw std::bad_alloc();
    }
    resize(count_ + k);
}

void display_mode_list::append(const display_mode& mode)
{
    // Copied first: `mode` may live in the block that grow() is about to replace.
    const display_mode copy = mode;
    grow(1);
    items_[count_ - 1] = copy;
}

void display_mode_list::assign(const display_mode_list& source)
{
    if (&source == this) {
        resize(count_);
        return;
    }
    // The new block is filled before the old one goes, so a failed allocation keeps this list
    // whole.
    const std::uint32_t n = source.count_;
    display_mode* block = allocate_modes(n);
    if (n != 0) {
        std::memcpy(block, source.items_, std::size_t{n} * sizeof(display_mode));
    }
    std::free(items_);
    items_ = block;
    count_ = n;
    capacity_ = n;
}

void add_palettised_mode(display_mode_list& scratch, std::uint32_t width, std::uint32_t height,
                         std::uint32_t rgb_bit_count)
{
    if (rgb_bit_count == 8) {
        scratch.append(display_mode{width, height, 8});
    }
}

std::int32_t clamp_display_mode_index(std::int32_t stored, std::uint32_t count) noexcept
{
    if (count == 0) {
        return stored;
    }
    if (stored < 0) {
        return 0;
    }
    if (static_cast<std::uint32_t>(stored) >= count) {
        return static_cast<std::int32_t>(count - 1);
    }
    return stored;
}

}  // namespace pyrelle
