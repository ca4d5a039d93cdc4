// Running a script: order, waits, syncs, failures.
#include "host_standin/orvanel_host/script_runner.h"

#include <gtest/gtest.h>

#include <set>
#include <stdexcept>

namespace pyrelle::standin {
namespace {

class recording_log final : public log_sink {
public:
    void line(const std::string& text) override { lines.push_back(text); }
    std::vector<std::string> lines;
};

class fake_target final : public script_target {
public:
    void run(const script_command& command) override
    {
        ran.push_back(command.text);
        if (command.text == "frames") {
            throw std::runtime_error("no visualisation");
        }
    }
    bool sync_arrived(const std::string& name) override { return arrived.count(name) != 0; }
    bool busy() override { return opening; }

    std::vector<std::string> ran;
    bool opening = false;
    std::set<std::string> arrived;
};

struct runner_fixture {
    explicit runner_fixture(const std::string& script)
        : runner(parse_script(script), target, log, [this] { return now; })
    {
    }
    fake_target target;
    recording_log log;
    std::uint64_t now = 1000;
    script_runner runner;
};

TEST(ScriptRunner, RunsUntilAWaitAndResumesAfterIt)
{
    runner_fixture f("play\nwait 1.5\nmenu\nwait 0\nstate\n");
    EXPECT_EQ(f.runner.resume(), std::optional<std::uint32_t>(1500));
    EXPECT_EQ(f.target.ran, (std::vector<std::string>{"play"}));
    EXPECT_EQ(f.runner.resume(), std::optional<std::uint32_t>(0));
    EXPECT_EQ(f.runner.resume(), std::nullopt);
    EXPECT_EQ(f.target.ran, (std::vector<std::string>{"play", "menu", "state"}));
    EXPECT_TRUE(f.runner.finished());
    EXPECT_FALSE(f.runner.failed());
    // Every command is logged, waits included, in order.
    EXPECT_EQ(f.log.lines, (std::vector<std::string>{"play", "wait 1.5", "menu", "wait 0", "state"}));
}

TEST(ScriptRunner, AFailingCommandIsLoggedAndTheScriptGoesOn)
{
    runner_fixture f("frames\nbogus 1\nquit\n");
    EXPECT_EQ(f.runner.resume(), std::nullopt);
    EXPECT_TRUE(f.runner.failed());
    EXPECT_EQ(f.target.ran, (std::vector<std::string>{"frames", "quit"}));
    ASSERT_EQ(f.log.lines.size(), 5u);
    EXPECT_EQ(f.log.lines[1], "error: line 1: frames: no visualisation");
    EXPECT_EQ(f.log.lines[3], "error: line 2: bogus 1: unknown command 'bogus'");
}

TEST(ScriptRunner, NothingRunsAfterQuit)
{
    runner_fixture f("quit\nplay\n");
    EXPECT_EQ(f.runner.resume(), std::nullopt);
    EXPECT_EQ(f.target.ran, (std::vector<std::string>{"quit"}));
    EXPECT_EQ(f.runner.resume(), std::nullopt);
    EXPECT_EQ(f.target.ran.size(), 1u);
}

TEST(ScriptRunner, SyncPollsUntilTheAnswerArrives)
{
    runner_fixture f("sync shot\nmenu\n");
    EXPECT_EQ(f.runner.resume(), std::optional<std::uint32_t>(sync_poll_ms));
    f.now += 5000;
    EXPECT_EQ(f.runner.resume(), std::optional<std::uint32_t>(sync_poll_ms));
    EXPECT_TRUE(f.target.ran.empty());
    f.target.arrived.insert("shot");
    EXPECT_EQ(f.runner.resume(), std::nullopt);
    EXPECT_EQ(f.target.ran, (std::vector<std::string>{"menu"}));
    EXPECT_FALSE(f.runner.failed());
}

TEST(ScriptRunner, SyncThatIsNeverAnsweredFailsAndTheScriptGoesOn)
{
    runner_fixture f("sync shot\nquit\n");
    EXPECT_EQ(f.runner.resume(), std::optional<std::uint32_t>(sync_poll_ms));
    f.now += sync_timeout_ms - 1;
    EXPECT_EQ(f.runner.resume(), std::optional<std::uint32_t>(sync_poll_ms));
    f.now += 1;
    EXPECT_EQ(f.runner.resume(), std::nullopt);
    EXPECT_TRUE(f.runner.failed());
    EXPECT_EQ(f.target.ran, (std::vector<std::string>{"quit"}));
}

TEST(ScriptRunner, TheNextCommandWaitsWhileTheTargetIsBusy)
{
    runner_fixture f("next\nframes\n");
    f.target.opening = true;
    EXPECT_EQ(f.runner.resume(), std::optional<std::uint32_t>(sync_poll_ms));
    EXPECT_TRUE(f.target.ran.empty());
    f.target.opening = false;
    f.runner.resume();
    EXPECT_EQ(f.target.ran, (std::vector<std::string>{"next", "frames"}));
}

TEST(ScriptRunner, AnEmptyScriptEndsAtOnce)
{
    runner_fixture f("# nothing\n");
    EXPECT_EQ(f.runner.resume(), std::nullopt);
    EXPECT_TRUE(f.runner.finished());
    EXPECT_FALSE(f.runner.failed());
}

}  // namespace
}  // namespace pyrelle::standin
