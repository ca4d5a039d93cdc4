// The stand-in's command line.
#include "host_standin/orvanel_host/command_line.h"

#include <gtest/gtest.h>

namespace pyrelle::standin {
namespace {

TEST(CommandLine, EveryOptionTakesItsValue)
{
    const parse_result result = parse_command_line(
        {"--module", "m.dll", "--profile", "C:\\p", "--audio", "a.wav", "--script", "s.txt", "--sync-dir", "d"});
    ASSERT_EQ(result.error, "");
    EXPECT_EQ(result.options.module_path, "m.dll");
    EXPECT_EQ(result.options.profile_dir, "C:\\p");
    EXPECT_EQ(result.options.audio_files, std::vector<std::string>{"a.wav"});
    EXPECT_EQ(result.options.script_path, "s.txt");
    EXPECT_EQ(result.options.sync_dir, "d");
    EXPECT_FALSE(result.options.help);
}

TEST(CommandLine, NothingGivenMeansTheDefaults)
{
    const parse_result result = parse_command_line({});
    EXPECT_EQ(result.error, "");
    EXPECT_TRUE(result.options.module_path.empty());
    EXPECT_TRUE(result.options.profile_dir.empty());
}

TEST(CommandLine, FilesAfterTheOptionsFollowTheAudioOptionInOrder)
{
    const parse_result result = parse_command_line(
        {"--audio", "first.wav", "--profile", "p", "my song.mp3", "Z:\\b.flac", "-", "--", "-x.ogg"});
    ASSERT_EQ(result.error, "");
    EXPECT_EQ(result.options.audio_files,
              (std::vector<std::string>{"first.wav", "my song.mp3", "Z:\\b.flac", "-", "-x.ogg"}));
    EXPECT_EQ(result.options.profile_dir, "p");
}

TEST(CommandLine, HelpInAnyOfItsForms)
{
    for (const char* form : {"--help", "-h", "/?"}) {
        EXPECT_TRUE(parse_command_line({form}).options.help) << form;
    }
}

TEST(CommandLine, RefusesWhatItCannotUse)
{
    const std::vector<std::vector<std::string>> bad = {
        {"--module"},                        // value missing
        {"--profile", ""},                   // empty value
        {"--script", "a", "--script", "b"},  // given twice
        {"--colour", "red"},                 // unknown
        {"a.mp3", "--profile", "p"},         // an option after the files
        {"a.mp3", ""},                       // an empty file name
        {"--audio", "a", "--audio", "b"},    // --audio is for one file
    };
    for (const auto& arguments : bad) {
        EXPECT_NE(parse_command_line(arguments).error, "") << arguments.front();
    }
}

}  // namespace
}  // namespace pyrelle::standin
