#pragma once
// The stand-in's log: every line on standard output as "<seconds> <text>", seconds since the
// program started with millisecond precision, flushed at once so that a test watching the output
// sees a command as soon as it runs.
#include <chrono>
#include <cstdio>
#include <string>

namespace pyrelle::standin {

class log_sink {
public:
    virtual void line(const std::string& text) = 0;

protected:
    ~log_sink() = default;
};

class host_log final : public log_sink {
public:
    explicit host_log(std::FILE* out = stdout) : out_(out), start_(std::chrono::steady_clock::now()) {}

    void line(const std::string& text) override;

    // Seconds since construction.
    double seconds() const;

private:
    std::FILE* out_;
    std::chrono::steady_clock::time_point start_;
};

// "12.345 text"
std::string format_log_line(double seconds, const std::string& text);

}  // namespace pyrelle::standin
