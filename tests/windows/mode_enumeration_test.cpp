// The 8-bit full-screen modes DirectDraw offers, as the module lists them. Wine's 1024x768
// virtual desktop offers 8-bit modes from 320x200 up to the desktop's size.
#include <gtest/gtest.h>

#include <windows.h>

#include <ddraw.h>

#include <algorithm>
#include <iterator>
#include <ostream>
#include <vector>

#include "prefs/mode_enumeration.h"
#include "support/win32_handles.h"

namespace pyrelle {

void PrintTo(const display_mode& m, std::ostream* os) { *os << m.width << 'x' << m.height << 'x' << m.bits_per_pixel; }

namespace {

std::vector<display_mode> records_of(const display_mode_list& list) { return {list.begin(), list.end()}; }

HRESULT WINAPI collect_mode(DDSURFACEDESC2* description, void* context)
{
    static_cast<std::vector<display_mode>*>(context)->push_back(
        {description->dwWidth, description->dwHeight, description->ddpfPixelFormat.dwRGBBitCount});
    return DDENUMRET_OK;
}

// Every mode DirectDraw reports, whatever its depth, in DirectDraw's order.
std::vector<display_mode> every_adapter_mode()
{
    std::vector<display_mode> modes;
    com_ptr<IDirectDraw7> direct_draw;
    if (FAILED(DirectDrawCreateEx(nullptr, direct_draw.put_void(), IID_IDirectDraw7, nullptr))) {
        return modes;
    }
    direct_draw->SetCooperativeLevel(nullptr, DDSCL_NORMAL);
    direct_draw->EnumDisplayModes(0, nullptr, &modes, collect_mode);
    return modes;
}

TEST(ModeEnumeration, ListsTheAdaptersEightBitModesInItsOrder)
{
    const std::vector<display_mode> adapter = every_adapter_mode();
    ASSERT_TRUE(std::any_of(adapter.begin(), adapter.end(), [](const display_mode& m) {
        return m.bits_per_pixel != 8;
    })) << "the adapter offers no other depth, so the filter goes untested";
    std::vector<display_mode> expected;
    std::copy_if(adapter.begin(), adapter.end(), std::back_inserter(expected),
                 [](const display_mode& m) { return m.bits_per_pixel == 8; });

    display_mode_list modes;
    display_mode_list scratch;
    ASSERT_TRUE(enumerate_display_modes(modes, scratch));
    EXPECT_EQ(records_of(modes), expected);
    EXPECT_EQ(modes.capacity(), modes.count());
    EXPECT_NE(std::find(expected.begin(), expected.end(), display_mode{640, 480, 8}), expected.end());
    // What the callback collected stays in the scratch list until the next enumeration.
    EXPECT_EQ(records_of(scratch), expected);
}

TEST(ModeEnumeration, TwoEnumerationsInARowAgree)
{
    display_mode_list first;
    display_mode_list second;
    second.append({1, 2, 8});  // replaced, not added to
    display_mode_list scratch;
    scratch.append({3, 4, 8});  // cleared before each enumeration
    ASSERT_TRUE(enumerate_display_modes(first, scratch));
    ASSERT_TRUE(enumerate_display_modes(second, scratch));
    EXPECT_EQ(records_of(first), records_of(second));
    EXPECT_EQ(records_of(scratch), records_of(first));
}

}  // namespace
}  // namespace pyrelle
