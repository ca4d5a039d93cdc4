// `pyrelle config` as a user runs it: the real program, its output, its files and its exit status.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "config/config_blob.h"
#include "config/configuration.h"
#include "config/streams.h"
#include "tests/tools/cli_harness.h"

namespace {

using pyrelle::testing::bytes;
using pyrelle::testing::read_bytes;
using pyrelle::testing::read_text;
using result = pyrelle::testing::program_result;

const std::string data_dir = std::string(PYRELLE_TEST_DATA_DIR) + "/config/";

// Every run here is of `pyrelle config ...`.
class ConfigCommand : public pyrelle::testing::scratch_folder_test {
protected:
    result run(std::vector<std::string> args) const
    {
        args.insert(args.begin(), "config");
        return scratch_folder_test::run(args);
    }
};

std::string listing(const char* high, const char* middle, const char* low, const char* mode, const char* flows[3],
                    const char* rate)
{
    std::ostringstream s;
    s << "high_colour " << high << "\nmiddle_colour " << middle << "\nlow_colour " << low << "\ndisplay_mode_index "
      << mode << "\nhigh_flow " << flows[0] << "\nmiddle_flow " << flows[1] << "\nlow_flow " << flows[2]
      << "\nframe_rate " << rate << "\n";
    return s.str();
}

const char* flows_off[3] = {"0", "0", "0"};
const char* flows_on[3] = {"1", "1", "1"};
const char* middle_flow_02[3] = {"0", "2", "0"};

const std::string initial_listing = listing("0x003EFFFF", "0x000000FF", "0x00000000", "0", flows_off, "24");

TEST_F(ConfigCommand, ShowPrintsEverySettingInRegistrationOrder)
{
    struct example {
        const char* file;
        std::string expected;
    };
    const example examples[] = {
        {"initial_values.bin", initial_listing},
        {"empty.bin", initial_listing},
        {"custom_values.bin", listing("0x12345678", "0xFFFFFFFF", "0x00008000", "3", flows_on, "60")},
        {"bool_byte_02.bin", listing("0x003EFFFF", "0x000000FF", "0x00000000", "0", middle_flow_02, "24")},
        {"truncated_in_guid.bin", listing("0x003EFFFF", "0x000000FF", "0x00123456", "0", flows_off, "24")},
    };
    for (const example& e : examples) {
        SCOPED_TRACE(e.file);
        const result r = run({"show", data_dir + e.file});
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out, e.expected);
        EXPECT_EQ(r.err, "");
    }
}

TEST_F(ConfigCommand, ShowOfABrokenBlobPrintsWhatAppliedThenFails)
{
    const std::string applied = listing("0x003EFFFF", "0x000000FF", "0x00123456", "0", flows_off, "24");
    for (const char* file : {"truncated_in_size.bin", "truncated_in_payload.bin", "truncated_in_unknown_payload.bin",
                             "oversized_unknown_payload.bin"}) {
        SCOPED_TRACE(file);
        const result r = run({"show", data_dir + file});
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, applied);
        EXPECT_EQ(r.err, "pyrelle config show: " + data_dir + file + ": Unsupported format or corrupted file\n");
    }
}

TEST_F(ConfigCommand, ShowOfAnUnreadableFileNamesTheProblem)
{
    const result missing = run({"show", path("absent.bin")});
    EXPECT_EQ(missing.status, 2);
    EXPECT_EQ(missing.out, "");
    EXPECT_EQ(missing.err, "pyrelle config show: cannot read " + path("absent.bin") + ": No such file or directory\n");

    const result folder = run({"show", dir_});
    EXPECT_EQ(folder.status, 2);
    EXPECT_EQ(folder.out, "");
    EXPECT_EQ(folder.err, "pyrelle config show: cannot read " + dir_ + ": Is a directory\n");

    // An endless device, or a file past 1 MiB, is refused at once; 1 MiB itself is still read.
    ASSERT_EQ(shell("head -c 1048576 /dev/zero > mib.bin && head -c 1048577 /dev/zero > over.bin"), 0);
    for (const std::string& file : {std::string("/dev/zero"), path("over.bin")}) {
        const result r = run({"show", file});
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, "pyrelle config show: cannot read " + file +
                             ": more than 1 MiB, and a settings blob is a few hundred bytes\n");
    }
    const result mib = run({"show", path("mib.bin")});
    EXPECT_EQ(mib.status, 1) << "zero-GUID records, the last cut short: read, not refused";
    EXPECT_EQ(mib.err, "pyrelle config show: " + path("mib.bin") + ": Unsupported format or corrupted file\n");
}

TEST_F(ConfigCommand, WriteWithoutChangesGivesTheInitialBlob)
{
    const result r = run({"write", path("settings.bin")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(read_bytes(path("settings.bin")), read_bytes(data_dir + "initial_values.bin"));
    EXPECT_EQ(files(), std::vector<std::string>{"settings.bin"}) << "no temporary file is left";
}

TEST_F(ConfigCommand, WrittenBlobIsTheModulesAndShowsBackTheSameValues)
{
    const std::vector<std::string> pairs = {
        "high_colour=0x12345678",
        "middle_colour=#FF8000",
        "low_colour=0xffffffff",
        "display_mode_index=-2147483648",
        "high_flow=2",
        "middle_flow=0",
        "low_flow=255",
        "frame_rate=60",
        "frame_rate=30",  // the last one wins
    };
    std::vector<std::string> args = {"write", path("settings.bin")};
    args.insert(args.end(), pairs.begin(), pairs.end());
    ASSERT_EQ(run(args).status, 0);

    pyrelle::configuration expected;
    expected.high_colour.value = 0x12345678;
    expected.middle_colour.value = 0x000080FF;  // #RRGGBB turned into 0x00BBGGRR
    expected.low_colour.value = -1;
    expected.display_mode_index.value = INT32_MIN;  // the one value whose negation overflows
    expected.high_flow.value = 2;
    expected.low_flow.value = 255;
    expected.frame_rate.value = 30;
    pyrelle::byte_buffer blob;
    pyrelle::memory_writer out(blob);
    pyrelle::never_abort no_abort;
    pyrelle::write_configuration(expected, out, no_abort);
    EXPECT_EQ(read_bytes(path("settings.bin")), bytes(blob.data(), blob.data() + blob.size()));

    const char* flows[3] = {"2", "0", "255"};
    const result shown = run({"show", path("settings.bin")});
    EXPECT_EQ(shown.status, 0);
    EXPECT_EQ(shown.out, listing("0x12345678", "0x000080FF", "0xFFFFFFFF", "-2147483648", flows, "30"));

    // What show prints, written back, gives the same bytes again.
    std::vector<std::string> again = {"write", path("again.bin")};
    std::istringstream lines(shown.out);
    for (std::string name, value; lines >> name >> value;) {
        again.push_back(name + "=" + value);
    }
    ASSERT_EQ(run(again).status, 0);
    EXPECT_EQ(read_bytes(path("again.bin")), read_bytes(path("settings.bin")));
}

TEST_F(ConfigCommand, BadSettingWritesNothing)
{
    const std::string target = path("settings.bin");
    std::ofstream(target, std::ios::binary) << "previous";
    const char* bad[] = {
        "colour=0x00FFFFFF",   // no such setting
        "High_Colour=0x0",     // names are exact
        "high_colour=#12345",  // too few digits
        "high_colour=0x123456789",
        "high_colour=red",
        "high_colour=16777215",  // colours are hexadecimal
        "high_flow=256",
        "high_flow=-1",
        "frame_rate=2147483648",
        "frame_rate=12a",
        "frame_rate=",
        "frame_rate",  // no '='
    };
    for (const char* arg : bad) {
        SCOPED_TRACE(arg);
        const result r = run({"write", target, "low_flow=1", arg});
        EXPECT_EQ(r.status, 2);
        EXPECT_NE(r.err.find("pyrelle config write: "), std::string::npos);
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_EQ(read_text(target), "previous");
        EXPECT_EQ(files(), std::vector<std::string>{"settings.bin"});
    }
}

TEST_F(ConfigCommand, HelpAndUsageErrors)
{
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--help"}, {"show", "--help"}, {"write", "-h"}}) {
        const result r = run(args);
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out.rfind("usage: pyrelle config", 0), 0u) << r.out;
    }
    for (const std::vector<std::string>& args : {std::vector<std::string>{},
                                                 {"show"},
                                                 {"show", "a", "b"},
                                                 {"write"},
                                                 {"remove", "x"},
                                                 {"write", "--force", "x"}}) {
        const result r = run(args);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err, "");
    }
    EXPECT_TRUE(files().empty());
}

}  // namespace
