#pragma once
// The full-screen modes the fire can use, and the container that holds them.
//
// display_mode_list is a growable array that never keeps spare room: after every resize, grow,
// append and assign its capacity equals its count. The lists are short and rebuilt rarely, so
// exact sizing costs nothing and keeps what the preferences page shows equal to what the block
// holds. Block sizes are 32-bit on the module's target; the same limit applies everywhere so that
// every build fails alike: more than max_display_modes records, like an exhausted heap, throws
// std::bad_alloc and leaves the list as it was.
#include <cstdint>

namespace pyrelle {

// One display mode, laid out as three 32-bit values; fire_settings begins with the same three.
struct display_mode {
    std::uint32_t width;           // pixels
    std::uint32_t height;          // pixels
    std::uint32_t bits_per_pixel;  // 8 in every record the enumeration makes
};
static_assert(sizeof(display_mode) == 12, "display_mode is three packed 32-bit values");

inline bool operator==(const display_mode& a, const display_mode& b) noexcept
{
    return a.width == b.width && a.height == b.height && a.bits_per_pixel == b.bits_per_pixel;
}
inline bool operator!=(const display_mode& a, const display_mode& b) noexcept { return !(a == b); }

// The largest record count whose byte size fits 32 bits.
constexpr std::uint32_t max_display_modes = 0xFFFFFFFFu / sizeof(display_mode);

class display_mode_list {
public:
    display_mode_list() noexcept = default;
    display_mode_list(const display_mode_list&) = delete;
    display_mode_list& operator=(const display_mode_list&) = delete;
    display_mode_list(display_mode_list&& other) noexcept;
    display_mode_list& operator=(display_mode_list&& other) noexcept;
    ~display_mode_list();

    // Makes the block hold exactly n records; a count above n is cut to n.
    void set_capacity(std::uint32_t n);
    // count = capacity = n; records below both the old and the new count are kept, new ones are
    // zero.
    void resize(std::uint32_t n);
    // resize(count + k); a sum past 32 bits throws std::bad_alloc.
    void grow(std::uint32_t k);
    // Adds one record at the end. `mode` may be a record of this very list.
    void append(const display_mode& mode);
    // Makes this list a copy of `source`'s records (which may be this list).
    void assign(const display_mode_list& source);

    const display_mode* items() const noexcept { return items_; }
    std::uint32_t count() const noexcept { return count_; }
    std::uint32_t capacity() const noexcept { return capacity_; }
    bool empty() const noexcept { return count_ == 0; }
    // Record i; the caller keeps i < count().
    const display_mode& operator[](std::uint32_t i) const noexcept { return items_[i]; }
    const display_mode* begin() const noexcept { return items_; }
    const display_mode* end() const noexcept { return items_ + count_; }

private:
    display_mode* items_ = nullptr;  // exactly capacity_ records, or null when capacity_ is 0
    std::uint32_t count_ = 0;
    std::uint32_t capacity_ = 0;
};

// The filter applied to each mode the adapter reports: only 8-bit palettised modes can show the
// fire. Appends (width, height, 8) to `scratch` when `rgb_bit_count` is 8, else does nothing.
void add_palettised_mode(display_mode_list& scratch, std::uint32_t width, std::uint32_t height,
                         std::uint32_t rgb_bit_count);

// Brings a stored display_mode_index into [0, count): past the end becomes the last mode, negative
// the first, an index in range stays. With no modes there is no valid index; the stored one is
// returned unchanged so that the user's choice survives an adapter that briefly reports nothing,
// and the callers must not index an empty list with it.
std::int32_t clamp_display_mode_index(std::int32_t stored, std::uint32_t count) noexcept;

}  // namespace pyrelle
