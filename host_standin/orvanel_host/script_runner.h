#pragma once
// Runs a parsed script one command after another. The runner never blocks: resume() runs
// commands until one makes the script wait (`wait`, or a `sync` whose answer has not come) and
// returns how long to wait before calling it again, so the caller's message loop keeps running in
// between. Every command is logged before it runs; a failing command is logged as an error and
// the script goes on with the next one.
#include <cstdint>
#include <exception>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "host_standin/orvanel_host/host_log.h"
#include "host_standin/orvanel_host/script.h"

namespace pyrelle::standin {

// What the commands act on. Failures are exceptions; their what() text goes into the log.
class script_target {
public:
    // Every command except wait and sync. After `quit` the runner runs nothing more.
    virtual void run(const script_command& command) = 0;
    // Whether the answer to `sync NAME` has arrived.
    virtual bool sync_arrived(const std::string& name) = 0;
    // Whether the target is still carrying out an earlier command (a track opening): the next
    // command waits for it, as a user would, so that a script runs the same however long it takes.
    virtual bool busy() { return false; }

protected:
    ~script_target() = default;
};

// How long a `sync` waits for its answer before it fails.
constexpr std::uint32_t sync_timeout_ms = 30000;
// How often a waiting `sync` looks for its answer, and a busy target whether it is done.
constexpr std::uint32_t sync_poll_ms = 20;

class script_runner {
public:
    // `clock_ms` gives a steady time in milliseconds (tests pass their own).
    script_runner(std::vector<script_command> commands, script_target& target, log_sink& log,
                  std::function<std::uint64_t()> clock_ms);

    // Milliseconds to wait before the next call, or nothing once the script has ended.
    std::optional<std::uint32_t> resume();

    bool finished() const noexcept { return finished_; }
    // True once any command failed or was not a command.
    bool failed() const noexcept { return failed_; }

private:
    void report(const script_command& command, const std::string& reason);

    std::vector<script_command> commands_;
    script_target& target_;
    log_sink& log_;
    std::function<std::uint64_t()> clock_ms_;
    std::size_t next_ = 0;
    bool finished_ = false;
    bool failed_ = false;
    // A sync in progress: the command's index and the time its answer is given up on.
    std::optional<std::size_t> syncing_;
    std::uint64_t sync_deadline_ = 0;
};

}  // namespace pyrelle::standin
