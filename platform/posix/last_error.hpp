// The calling thread's last error and the one table from errno values to
// Win32 error codes.
#pragma once

#include <cerrno>

#include "platform/posix/win32_api.hpp"

namespace win32_posix {

// The Win32 error code that stands for a POSIX errno value.
DWORD error_from_errno(int error);

// Sets the last error to code and returns result: a failing call's last line.
template <typename T>
T fail(DWORD code, T result) {
    SetLastError(code);
    return result;
}

// The same with the code for the current errno.
template <typename T>
T fail_from_errno(T result) {
    return fail(error_from_errno(errno), result);
}

}  // namespace win32_posix
