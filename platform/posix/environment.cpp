// The process environment.
#include <cerrno>
#include <cstdlib>

#include "platform/posix/last_error.hpp"
#include "platform/posix/win32_api.hpp"

// A null value removes the variable.
BOOL WINAPI SetEnvironmentVariableA(LPCSTR lpName, LPCSTR lpValue) {
    using namespace win32_posix;
    if (lpName == nullptr) {
        return fail(ERROR_INVALID_PARAMETER, FALSE);
    }
    const int result = lpValue == nullptr ? ::unsetenv(lpName) : ::setenv(lpName, lpValue, 1);
    if (result != 0) {
        return fail_from_errno(FALSE);
    }
    return TRUE;
}
