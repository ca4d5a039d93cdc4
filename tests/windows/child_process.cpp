#include "tests/windows/child_process.h"

namespace pyrelle::test {
namespace {

constexpr wchar_t child_variable[] = L"PYRELLE_TEST_CHILD";

}  // namespace

bool in_child_process() { return ::GetEnvironmentVariableW(child_variable, nullptr, 0) != 0; }

child_process::child_process(const std::wstring& test_name)
{
    wchar_t program[MAX_PATH];
    ::GetModuleFileNameW(nullptr, program, MAX_PATH);
    std::wstring command = L"\"" + std::wstring(program) + L"\" --gtest_brief=1 --gtest_filter=" + test_name;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    ::SetEnvironmentVariableW(child_variable, L"1");
    const BOOL started =
        ::CreateProcessW(program, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process);
    ::SetEnvironmentVariableW(child_variable, nullptr);
    if (started) {
        ::CloseHandle(process.hThread);
        process_.reset(process.hProcess);
    }
}

child_result child_process::wait(DWORD timeout_ms)
{
    child_result result;
    if (!process_) {
        result.exit_code = 0xFFFFFFFF;
        return result;
    }
    if (::WaitForSingleObject(process_.get(), timeout_ms) == WAIT_TIMEOUT) {
        result.timed_out = true;
        ::TerminateProcess(process_.get(), 3);
        ::WaitForSingleObject(process_.get(), INFINITE);
    }
    ::GetExitCodeProcess(process_.get(), &result.exit_code);
    return result;
}

child_result run_in_child(const std::wstring& test_name, DWORD timeout_ms)
{
    return child_process(test_name).wait(timeout_ms);
}

}  // namespace pyrelle::test
