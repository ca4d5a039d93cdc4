// The play list that Next and Previous walk.
#include "host_standin/orvanel_host/play_list.h"

#include <gtest/gtest.h>

namespace pyrelle::standin {
namespace {

TEST(PlayList, FilesJoinAtTheEndAndStepsGoRound)
{
    play_list list;
    EXPECT_EQ(list.add({L"a.mp3", L"b.flac"}), 0u);
    EXPECT_EQ(list.add({L"c.ogg"}), 2u);
    EXPECT_EQ(list.path(2), L"c.ogg");
    struct row {
        std::size_t from;
        long steps;
        std::size_t to;
    };
    for (const row& r : {row{0, 1, 1}, row{2, 1, 0}, row{0, -1, 2}, row{1, -4, 0}, row{1, 7, 2}, row{1, 0, 1}}) {
        EXPECT_EQ(list.step(r.from, r.steps), r.to) << r.from << " " << r.steps;
    }
}

}  // namespace
}  // namespace pyrelle::standin
