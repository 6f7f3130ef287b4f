// Windows path syntax on POSIX: both separators are accepted on input; paths
// handed back to callers use backslashes.
#pragma once

#include <string>

#include "platform/posix/win32_api.hpp"

namespace win32_posix {

// The path with every backslash turned into a slash.
std::string to_posix_path(const char* windows_path);

// The path with every slash turned into a backslash.
std::string to_windows_path(std::string posix_path);

// The path without trailing slashes, except for the root "/" itself.
std::string without_trailing_slashes(std::string posix_path);

// The folder part of a POSIX path: "." for a bare name, "/" for an entry of
// the root.
std::string parent_of(const std::string& posix_path);

// Why a path that is not there cannot be used: ERROR_FILE_NOT_FOUND when its
// folder exists, ERROR_PATH_NOT_FOUND when the folder does not (or the path is
// empty).
DWORD missing_path_error(const std::string& posix_path);

// The last error for errno after a call on posix_path failed: ENOENT is
// refined by missing_path_error, everything else goes through the errno table.
DWORD path_error(const std::string& posix_path, int error);

// Windows' rule for returning a path into a caller's buffer of size
// characters: when the text and its terminator fit, it is copied and its
// length returned; otherwise the buffer is left alone and the size it would
// need, terminator included, is returned.
DWORD copy_to_buffer(const std::string& text, LPSTR buffer, DWORD size);

}  // namespace win32_posix
