#pragma once
// Runs one test of the current test program again in a child process: for a body that could hang
// inside the loader (such a hang cannot be interrupted from within the process, under Wine not
// even by terminating it, but the parent can end the child), and for a second process beside a
// run (a second player).
#include <windows.h>

#include <string>

#include "support/win32_handles.h"

namespace pyrelle::test {

// True in the child: the test body is then the child's part.
bool in_child_process();

struct child_result {
    bool timed_out = false;
    DWORD exit_code = 0;  // 0xFFFFFFFF when the child could not be started
};

class child_process {
public:
    // Starts this program with only `test_name` selected.
    explicit child_process(const std::wstring& test_name);
    // Waits for the child's end, at most `timeout_ms`; a child still running then is terminated.
    child_result wait(DWORD timeout_ms);

private:
    kernel_handle process_;
};

child_result run_in_child(const std::wstring& test_name, DWORD timeout_ms);

}  // namespace pyrelle::test
