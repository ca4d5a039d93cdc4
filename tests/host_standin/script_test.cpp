// Parsing of the automation script.
#include "host_standin/orvanel_host/script.h"

#include <gtest/gtest.h>

namespace pyrelle::standin {
namespace {

TEST(Script, CommandsWithTheirArguments)
{
    struct row {
        const char* line;
        command_kind kind;
    };
    const row rows[] = {
        {"menu", command_kind::menu},
        {"  play  ", command_kind::play},
        {"pause", command_kind::pause},
        {"resume", command_kind::resume},
        {"stop", command_kind::stop},
        {"next", command_kind::next},
        {"previous", command_kind::previous},
        {"open Z:\\a.mp3", command_kind::open},
        {"drop a.mp3", command_kind::drop},
        {"state", command_kind::state},
        {"prefs open", command_kind::prefs_open},
        {"prefs close", command_kind::prefs_close},
        {"prefs click 1017", command_kind::prefs_click},
        {"prefs click reset", command_kind::prefs_click},
        {"prefs show 1021", command_kind::prefs_show},
        {"prefs select 1014 3", command_kind::prefs_select},
        {"prefs select 1014 640x480x8", command_kind::prefs_select},
        {"pick-colour cancel", command_kind::pick_colour_cancel},
        {"reset", command_kind::reset},
        {"save", command_kind::save},
        {"frames", command_kind::frames},
        {"screen", command_kind::screen},
        {"resources", command_kind::resources},
        {"quit", command_kind::quit},
    };
    for (const row& r : rows) {
        const script_command command = parse_script_line(r.line, 7);
        EXPECT_EQ(command.kind, r.kind) << r.line << ": " << command.error;
        EXPECT_EQ(command.line, 7);
    }
}

TEST(Script, ArgumentValues)
{
    EXPECT_EQ(parse_script_line("wait 1.5", 1).milliseconds, 1500u);
    EXPECT_EQ(parse_script_line("wait 0", 1).milliseconds, 0u);
    EXPECT_EQ(parse_script_line("wait 0.0416", 1).milliseconds, 42u);  // rounded, not cut
    EXPECT_EQ(parse_script_line("key space", 1).key, key_name::space);
    EXPECT_EQ(parse_script_line("key escape", 1).key, key_name::escape);

    const script_command select = parse_script_line("prefs select 1014 640x480x8", 1);
    EXPECT_EQ(select.control_id, 1014);
    EXPECT_EQ(select.item, "640x480x8");
    EXPECT_EQ(parse_script_line("prefs click reset", 1).item, "reset");
    EXPECT_EQ(parse_script_line("prefs show -1", 1).control_id, -1);  // the id of unnamed statics
    EXPECT_EQ(parse_script_line("sync shot-1.a_b", 1).name, "shot-1.a_b");
    // The path as written, inner blanks and all.
    EXPECT_EQ(parse_script_line("  open   Z:\\My  Music\\a song.mp3 \t", 1).path, "Z:\\My  Music\\a song.mp3");
    EXPECT_EQ(parse_script_line("drop", 1).kind, command_kind::invalid);
}

TEST(Script, EveryListedFormIsACommandTheParserKnows)
{
    const std::vector<const char*> forms = script_command_forms();
    ASSERT_GE(forms.size(), 20u);
    for (const char* form : forms) {
        const std::string word = std::string(form).substr(0, std::string(form).find(' '));
        const script_command command = parse_script_line(word, 1);
        EXPECT_EQ(command.error.find("unknown command"), std::string::npos) << form;
    }
}

TEST(Script, TheLogShowsTheLineWithSingleBlanks)
{
    EXPECT_EQ(parse_script_line("  prefs   select\t1014  2 ", 1).text, "prefs select 1014 2");
}

TEST(Script, ColoursAreReadAsRgbAndKeptAsColorref)
{
    EXPECT_EQ(parse_script_line("pick-colour #FF8000", 1).colour, 0x000080FFu);
    EXPECT_EQ(parse_script_line("pick-colour 0x00563412", 1).colour, 0x00563412u);
    EXPECT_EQ(parse_script_line("pick-colour #FF800", 1).kind, command_kind::invalid);
}

TEST(Script, MalformedLinesBecomeInvalidCommandsWithAReason)
{
    const char* const lines[] = {
        "jump",       // unknown
        "menu now",   // bare command with an argument
        "wait",       // missing seconds
        "wait -1",    // negative
        "wait soon",  // not a number
        "wait 1s",    // trailing text
        "wait 3601",  // longer than an hour
        "wait nan",
        "key enter",
        "key",
        "prefs",
        "prefs click",
        "prefs click button",
        "prefs click 70000",  // not a 16-bit id
        "prefs select 1014",
        "prefs open now",
        "pick-colour",
        "pick-colour red",
        "sync",
        "sync ../escape",  // would leave the sync folder
        "sync .hidden",
        "sync a b",
    };
    for (const char* line : lines) {
        const script_command command = parse_script_line(line, 3);
        EXPECT_EQ(command.kind, command_kind::invalid) << line;
        EXPECT_FALSE(command.error.empty()) << line;
    }
}

TEST(Script, SkipsBlankAndCommentLinesAndKeepsLineNumbers)
{
    const std::vector<script_command> commands =
        parse_script("# a demo\r\n\r\nplay\r\n   \n  # indented\nwait 2\nbogus");
    ASSERT_EQ(commands.size(), 3u);
    EXPECT_EQ(commands[0].kind, command_kind::play);
    EXPECT_EQ(commands[0].line, 3);
    EXPECT_EQ(commands[1].kind, command_kind::wait);
    EXPECT_EQ(commands[1].line, 6);
    EXPECT_EQ(commands[2].kind, command_kind::invalid);
    EXPECT_EQ(commands[2].line, 7);
}

}  // namespace
}  // namespace pyrelle::standin
