#include "platform/posix/paths.hpp"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/posix/last_error.hpp"

namespace win32_posix {

std::string to_posix_path(const char* windows_path) {
    std::string path = windows_path == nullptr ? std::string() : std::string(windows_path);
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

std::string to_windows_path(std::string posix_path) {
    std::replace(posix_path.begin(), posix_path.end(), '/', '\\');
    return posix_path;
}

std::string without_trailing_slashes(std::string posix_path) {
    while (posix_path.size() > 1 && posix_path.back() == '/') {
        posix_path.pop_back();
    }
    return posix_path;
}

std::string parent_of(const std::string& posix_path) {
    const std::string path = without_trailing_slashes(posix_path);
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

DWORD missing_path_error(const std::string& posix_path) {
    if (posix_path.empty()) {
        return ERROR_PATH_NOT_FOUND;
    }
    struct stat status {};
    const bool folder_exists =
        ::stat(parent_of(posix_path).c_str(), &status) == 0 && S_ISDIR(status.st_mode);
    return folder_exists ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
}

DWORD path_error(const std::string& posix_path, int error) {
    return error == ENOENT ? missing_path_error(posix_path) : error_from_errno(error);
}

DWORD copy_to_buffer(const std::string& text, LPSTR buffer, DWORD size) {
    const auto length = static_cast<DWORD>(text.size());
    if (buffer == nullptr || length >= size) {
        return length + 1;
    }
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return length;
}

}  // namespace win32_posix
