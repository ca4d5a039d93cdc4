#include "config/io_exceptions.h"

namespace pyrelle {

const char* exception_io::what() const noexcept { return "Input/output error"; }

const char* exception_io_data::what() const noexcept {
    return "Unsupported format or corrupted file";
}

const char* exception_io_data_truncation::what() const noexcept {
    return "Unsupported format or corrupted file";
}

}  // namespace pyrelle
