#include "support/colour_text.h"

#include <gtest/gtest.h>

TEST(ColourText, ReadsBothFormsAsColorref)
{
    struct row {
        const char* text;
        bool valid;
        std::uint32_t colour;
    };
    const row rows[] = {
        {"#FF8000", true, 0x000080FF},  // red first in the text, in the low byte of the COLORREF
        {"#0000ff", true, 0x00FF0000},
        {"#123456", true, 0x00563412},
        {"0x003EFFFF", true, 0x003EFFFF},
        {"0Xff", true, 0x000000FF},
        {"0xFFFFFFFF", true, 0xFFFFFFFF},
        {"FF8000", false, 0},
        {"#FF800", false, 0},
        {"#FF80000", false, 0},
        {"#GG8000", false, 0},
        {"#-12345", false, 0},
        {"0x", false, 0},
        {"0x123456789", false, 0},
        {"0x12 ", false, 0},
        {"", false, 0},
    };
    for (const row& r : rows) {
        std::uint32_t colour = 0xDEADBEEF;
        EXPECT_EQ(pyrelle::parse_colour_text(r.text, colour), r.valid) << r.text;
        EXPECT_EQ(colour, r.valid ? r.colour : 0xDEADBEEF) << r.text;
    }
}
