#pragma once
// Stream failures. Each class reports a fixed static text (never copied, never freed), so throwing
// one cannot itself fail for lack of memory.
#include <exception>

namespace pyrelle {

class exception_io : public std::exception {
public:
    const char* what() const noexcept override;
};

// The bytes do not have the form the reader expects.
class exception_io_data : public exception_io {
public:
    const char* what() const noexcept override;
};

// The data ended before an exact read or skip was satisfied.
class exception_io_data_truncation : public exception_io_data {
public:
    const char* what() const noexcept override;
};

}  // namespace pyrelle
