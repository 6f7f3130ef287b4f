#pragma once

#include <cstdint>
#include <string>

namespace varnel {

// The system's message text for a Win32 error code, without its closing line
// break; the empty string when the system has no text for the code.
std::string system_error_text(std::uint32_t code);

}  // namespace varnel
