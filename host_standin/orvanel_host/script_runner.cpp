#include "host_standin/orvanel_host/script_runner.h"

namespace pyrelle::standin {

script_runner::script_runner(std::vector<script_command> commands, script_target& target, log_sink& log,
                             std::function<std::uint64_t()> clock_ms)
    : commands_(std::move(commands)), target_(target), log_(log), clock_ms_(std::move(clock_ms))
{
}

void script_runner::report(const script_command& command, const std::string& reason)
{
    failed_ = true;
    log_.line("error: line " + std::to_string(command.line) + ": " + command.text + ": " + reason);
}

std::optional<std::uint32_t> script_runner::resume()
{
    if (syncing_) {
        const script_command& command = commands_[*syncing_];
        bool arrived = false;
        try {
            arrived = target_.sync_arrived(command.name);
        } catch (const std::exception& error) {
            report(command, error.what());
            arrived = true;  // nothing will come; go on
        }
        if (!arrived) {
            if (clock_ms_() < sync_deadline_) {
                return sync_poll_ms;
            }
            report(command, "no answer within " + std::to_string(sync_timeout_ms / 1000) + " seconds");
        }
        syncing_.reset();
    }

    while (!finished_ && next_ < commands_.size()) {
        if (target_.busy()) {
            return sync_poll_ms;
        }
        const std::size_t index = next_++;
        const script_command& command = commands_[index];
        log_.line(command.text);
        switch (command.kind) {
        case command_kind::invalid:
            report(command, command.error);
            break;
        case command_kind::wait:
            return command.milliseconds;
        case command_kind::sync:
            syncing_ = index;
            sync_deadline_ = clock_ms_() + sync_timeout_ms;
            return resume();
        default:
            try {
                target_.run(command);
            } catch (const std::exception& error) {
                report(command, error.what());
            }
            if (command.kind == command_kind::quit) {
                finished_ = true;
            }
            break;
        }
    }
    finished_ = true;
    return std::nullopt;
}

}  // namespace pyrelle::standin
