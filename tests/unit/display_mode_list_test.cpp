// The display-mode container, the 8-bit filter and the rule that keeps a stored index in range.
#include <gtest/gtest.h>

#include <cstdint>
#include <new>
#include <ostream>
#include <utility>
#include <vector>

#include "prefs/display_mode_list.h"

namespace pyrelle {
namespace {

std::vector<display_mode> records_of(const display_mode_list& list)
{
    return std::vector<display_mode>(list.begin(), list.end());
}

display_mode_list list_of(const std::vector<display_mode>& modes)
{
    display_mode_list list;
    for (const display_mode& m : modes) {
        list.append(m);
    }
    return list;
}

const display_mode vga{640, 480, 8};
const display_mode svga{800, 600, 8};
const display_mode xga{1024, 768, 8};

}  // namespace

// Printed in failure messages.
void PrintTo(const display_mode& m, std::ostream* os) { *os << m.width << 'x' << m.height << 'x' << m.bits_per_pixel; }

namespace {

TEST(DisplayModeList, StartsEmptyWithoutABlock)
{
    display_mode_list list;
    EXPECT_EQ(list.items(), nullptr);
    EXPECT_EQ(list.count(), 0u);
    EXPECT_EQ(list.capacity(), 0u);
    EXPECT_TRUE(list.empty());
}

TEST(DisplayModeList, EveryAppendGrowsTheBlockByExactlyOne)
{
    display_mode_list list;
    for (std::uint32_t i = 1; i <= 5; ++i) {
        list.append({i * 100, i * 10, 8});
        EXPECT_EQ(list.count(), i);
        EXPECT_EQ(list.capacity(), i);
    }
    EXPECT_EQ(list[4], (display_mode{500, 50, 8}));
    EXPECT_EQ(list[0], (display_mode{100, 10, 8}));
}

TEST(DisplayModeList, AppendingItsOwnRecordKeepsTheValues)
{
    display_mode_list list = list_of({vga, svga, xga});
    list.append(list[0]);
    list.append(list[list.count() - 1]);
    EXPECT_EQ(records_of(list), (std::vector<display_mode>{vga, svga, xga, vga, vga}));
    EXPECT_EQ(list.capacity(), 5u);
}

TEST(DisplayModeList, ResizeSetsCountAndCapacityAlike)
{
    display_mode_list list = list_of({vga, svga, xga});
    list.resize(2);
    EXPECT_EQ(list.count(), 2u);
    EXPECT_EQ(list.capacity(), 2u);
    EXPECT_EQ(records_of(list), (std::vector<display_mode>{vga, svga}));

    list.resize(4);
    EXPECT_EQ(list.count(), 4u);
    EXPECT_EQ(list.capacity(), 4u);
    // Kept records first, then records that hold zeros rather than leftovers.
    EXPECT_EQ(records_of(list), (std::vector<display_mode>{vga, svga, {0, 0, 0}, {0, 0, 0}}));

    list.resize(0);
    EXPECT_EQ(list.items(), nullptr);
    EXPECT_EQ(list.capacity(), 0u);
}

TEST(DisplayModeList, SetCapacityKeepsCountUnlessItNoLongerFits)
{
    display_mode_list list = list_of({vga, svga});
    list.set_capacity(6);
    EXPECT_EQ(list.count(), 2u);
    EXPECT_EQ(list.capacity(), 6u);
    EXPECT_EQ(records_of(list), (std::vector<display_mode>{vga, svga}));

    // Growing the count from spare room still leaves no room over.
    list.grow(1);
    EXPECT_EQ(list.count(), 3u);
    EXPECT_EQ(list.capacity(), 3u);

    list.set_capacity(1);
    EXPECT_EQ(list.count(), 1u);
    EXPECT_EQ(records_of(list), (std::vector<display_mode>{vga}));
}

TEST(DisplayModeList, AssignCopiesExactlyTheSourceRecords)
{
    const display_mode_list source = list_of({vga, svga, xga});
    display_mode_list larger = list_of({xga, xga, xga, xga, xga});
    larger.assign(source);
    EXPECT_EQ(records_of(larger), records_of(source));
    EXPECT_EQ(larger.capacity(), 3u);

    display_mode_list smaller = list_of({xga});
    smaller.assign(source);
    EXPECT_EQ(records_of(smaller), records_of(source));
    EXPECT_EQ(smaller.capacity(), 3u);
    EXPECT_NE(smaller.items(), source.items());

    larger.assign(display_mode_list());
    EXPECT_TRUE(larger.empty());
    EXPECT_EQ(larger.capacity(), 0u);
    EXPECT_EQ(larger.items(), nullptr);
}

TEST(DisplayModeList, AssignFromItselfKeepsRecordsAndDropsSpareRoom)
{
    display_mode_list list = list_of({vga, svga});
    list.set_capacity(5);
    list.assign(list);
    EXPECT_EQ(records_of(list), (std::vector<display_mode>{vga, svga}));
    EXPECT_EQ(list.capacity(), 2u);
}

TEST(DisplayModeList, SizeOverflowIsAnAllocationFailureThatChangesNothing)
{
    display_mode_list list = list_of({vga, svga});
    EXPECT_THROW(list.grow(0xFFFFFFFFu), std::bad_alloc);
    EXPECT_THROW(list.set_capacity(max_display_modes + 1), std::bad_alloc);
    EXPECT_THROW(list.resize(0xFFFFFFFFu), std::bad_alloc);
    EXPECT_EQ(records_of(list), (std::vector<display_mode>{vga, svga}));
    EXPECT_EQ(list.capacity(), 2u);
}

TEST(DisplayModeList, MoveHandsTheBlockOver)
{
    display_mode_list list = list_of({vga, svga});
    const display_mode* block = list.items();
    display_mode_list moved(std::move(list));
    EXPECT_EQ(moved.items(), block);
    EXPECT_EQ(moved.count(), 2u);
    EXPECT_EQ(list.items(), nullptr);  // NOLINT: checking the moved-from state on purpose
    EXPECT_EQ(list.count(), 0u);

    display_mode_list other = list_of({xga});
    other = std::move(moved);
    EXPECT_EQ(records_of(other), (std::vector<display_mode>{vga, svga}));
}

TEST(DisplayModeList, OnlyPalettisedModesAreKeptInReportedOrder)
{
    struct reported {
        std::uint32_t width, height, bits;
    };
    // What an adapter might report: every depth, duplicates and all; the palettised depths below
    // 8 bits (1, 2, 4) are as unusable as the direct-colour ones.
    const reported adapter[] = {
        {320, 200, 8},  {640, 480, 16},  {640, 480, 8}, {800, 600, 24}, {640, 480, 4},  {640, 350, 1},
        {800, 600, 32}, {1024, 768, 15}, {320, 200, 8}, {320, 200, 2},  {1024, 768, 8}, {1024, 768, 4},
    };
    display_mode_list scratch;
    for (const reported& r : adapter) {
        add_palettised_mode(scratch, r.width, r.height, r.bits);
    }
    EXPECT_EQ(records_of(scratch),
              (std::vector<display_mode>{{320, 200, 8}, {640, 480, 8}, {320, 200, 8}, {1024, 768, 8}}));
    EXPECT_EQ(scratch.capacity(), 4u);
}

TEST(DisplayModeList, StoredIndexIsBroughtIntoTheList)
{
    struct example {
        std::int32_t stored;
        std::uint32_t count;
        std::int32_t expected;
    };
    const example examples[] = {
        {7, 5, 4},
        {5, 5, 4},
        {-1, 5, 0},
        {3, 5, 3},
        {0, 5, 0},
        {4, 5, 4},
        {INT32_MIN, 5, 0},
        {INT32_MAX, 1, 0},
        {0, 0xFFFFFFFFu, 0},
        {INT32_MAX, 0xFFFFFFFFu, INT32_MAX},
        // No modes: no index is valid, and the stored one is kept for a later list.
        {3, 0, 3},
        {-2, 0, -2},
    };
    for (const example& e : examples) {
        EXPECT_EQ(clamp_display_mode_index(e.stored, e.count), e.expected)
            << "stored " << e.stored << " with " << e.count << " modes";
    }
}

}  // namespace
}  // namespace pyrelle
