#include "fire/step_result.h"

#include <cstdarg>
#include <cwchar>

#include "support/utf16_buffer.h"

namespace pyrelle {
namespace {

constexpr std::size_t line_size = 160;

}  // namespace

step_result step_result::of(HRESULT result, const wchar_t* name_format, ...) noexcept
{
    step_result outcome;
    outcome.result_ = result;
    // Only a failure is ever reported: a step that succeeded costs no formatting.
    if (outcome.failed()) {
        std::va_list arguments;
        va_start(arguments, name_format);
        std::vswprintf(outcome.step_, sizeof(outcome.step_) / sizeof(outcome.step_[0]), name_format, arguments);
        va_end(arguments);
    }
    return outcome;
}

step_result step_result::of_last_error(bool succeeded, const wchar_t* name) noexcept
{
    if (succeeded) {
        return step_result();
    }
    const DWORD error = ::GetLastError();
    // A failure that left no error code still has to count as one.
    return of(error != ERROR_SUCCESS ? HRESULT_FROM_WIN32(error) : E_FAIL, L"%ls", name);
}

void step_result::report() const noexcept
{
    if (!failed()) {
        return;
    }
    wchar_t line[line_size];
    std::swprintf(line, line_size, L"Pyrelle: %ls failed: 0x%08lX\n", step_,
                  static_cast<unsigned long>(static_cast<DWORD>(result_)));
    ::OutputDebugStringW(line);
}

void report_start_exception(const std::exception& error) noexcept
{
    char16_t what[96];
    utf8_to_utf16(what, sizeof(what) / sizeof(what[0]), error.what(), static_cast<std::size_t>(-1));
    wchar_t line[line_size];
    std::swprintf(line, line_size, L"Pyrelle: run start failed: %ls\n", reinterpret_cast<const wchar_t*>(what));
    ::OutputDebugStringW(line);
}

}  // namespace pyrelle
