#pragma once
// The outcome of one checked step of a run's start. A failed step keeps its name and its result
// so that the start can say which step ended it: one line on the debugger output,
// "Pyrelle: SetDisplayMode 640x480x8 failed: 0x88760091". The user sees nothing (the screen just
// goes back to the desktop) and the module writes no file; a debugger, DebugView or Wine's
// WINEDEBUG=+debugstr shows the line.
#include <windows.h>

#include <exception>

namespace pyrelle {

class [[nodiscard]] step_result {
public:
    // A step that succeeded.
    step_result() noexcept = default;

    // The step named by the printf-style `name_format`; it failed when FAILED(result).
    static step_result of(HRESULT result, const wchar_t* name_format, ...) noexcept;
    // A step that reports failure through GetLastError (a null handle, FALSE): call it right
    // after the step, before anything else can change the thread's last error.
    static step_result of_last_error(bool succeeded, const wchar_t* name) noexcept;

    bool failed() const noexcept { return FAILED(result_); }
    HRESULT result() const noexcept { return result_; }
    // Empty for a step that succeeded.
    const wchar_t* step() const noexcept { return step_; }

    // Sends the failure's line to the debugger output; nothing for a step that succeeded.
    void report() const noexcept;

private:
    HRESULT result_ = S_OK;
    wchar_t step_[64] = L"";
};

// For a start that an exception ended: "Pyrelle: run start failed: <what the exception says>".
void report_start_exception(const std::exception& error) noexcept;

}  // namespace pyrelle
