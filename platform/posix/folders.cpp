// Folders and the entries in them: creating and removing folders, the current
// folder, the temporary folder, deleting files and their read-only attribute.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <memory>
#include <string>

#include "platform/posix/file_modes.hpp"
#include "platform/posix/last_error.hpp"
#include "platform/posix/paths.hpp"
#include "platform/posix/win32_api.hpp"

namespace win32_posix {

namespace {

// A work folder must be accessible to its owner only, as the per-user
// temporary folder of Windows is.
constexpr mode_t new_folder_mode = 0700;

bool is_current_folder(const struct stat& folder) {
    struct stat current {};
    return ::stat(".", &current) == 0 && current.st_dev == folder.st_dev &&
           current.st_ino == folder.st_ino;
}

bool names_a_file(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && !S_ISDIR(status.st_mode);
}

// A link to a folder is removed as the link, as Windows removes a directory
// link; its target is never touched. A link whose target is gone is removed
// too: it may have pointed at a folder removed a moment ago. Only a link to a
// file is refused.
BOOL remove_folder_link(const std::string& path) {
    if (names_a_file(path)) {
        return fail(ERROR_DIRECTORY, FALSE);
    }
    if (::unlink(path.c_str()) != 0) {
        return fail(path_error(path, errno), FALSE);
    }
    return TRUE;
}

DWORD remove_folder_error(const std::string& path, int error) {
    return error == ENOTEMPTY || error == EEXIST ? ERROR_DIR_NOT_EMPTY : path_error(path, error);
}

std::string current_folder() {
    const std::unique_ptr<char, decltype(&std::free)> path(::getcwd(nullptr, 0), &std::free);
    return path == nullptr ? std::string() : std::string(path.get());
}

std::string temp_folder() {
    const char* tmpdir = std::getenv("TMPDIR");
    std::string path = to_windows_path(tmpdir != nullptr && *tmpdir != '\0' ? tmpdir : "/tmp");
    if (path.back() != '\\') {
        path += '\\';
    }
    return path;
}

}  // namespace

}  // namespace win32_posix

BOOL WINAPI CreateDirectoryA(LPCSTR lpPathName, LPSECURITY_ATTRIBUTES lpSecurityAttributes) {
    using namespace win32_posix;
    static_cast<void>(lpSecurityAttributes);  // the folder's access is always its owner's
    const std::string path = without_trailing_slashes(to_posix_path(lpPathName));
    if (::mkdir(path.c_str(), new_folder_mode) != 0) {
        return fail(errno == ENOENT ? ERROR_PATH_NOT_FOUND : error_from_errno(errno), FALSE);
    }
    return TRUE;
}

// The current folder of this process cannot be removed, as on Windows.
BOOL WINAPI RemoveDirectoryA(LPCSTR lpPathName) {
    using namespace win32_posix;
    const std::string path = without_trailing_slashes(to_posix_path(lpPathName));
    struct stat entry {};
    if (::lstat(path.c_str(), &entry) != 0) {
        return fail(path_error(path, errno), FALSE);
    }
    if (S_ISLNK(entry.st_mode)) {
        return remove_folder_link(path);
    }
    if (!S_ISDIR(entry.st_mode)) {
        return fail(ERROR_DIRECTORY, FALSE);
    }
    if (is_current_folder(entry)) {
        return fail(ERROR_SHARING_VIOLATION, FALSE);
    }
    if (::rmdir(path.c_str()) != 0) {
        return fail(remove_folder_error(path, errno), FALSE);
    }
    return TRUE;
}

BOOL WINAPI SetCurrentDirectoryA(LPCSTR lpPathName) {
    using namespace win32_posix;
    const std::string path = without_trailing_slashes(to_posix_path(lpPathName));
    if (::chdir(path.c_str()) != 0) {
        const int error = errno;
        return fail(names_a_file(path) ? ERROR_DIRECTORY : path_error(path, error), FALSE);
    }
    return TRUE;
}

DWORD WINAPI GetCurrentDirectoryA(DWORD nBufferLength, LPSTR lpBuffer) {
    using namespace win32_posix;
    const std::string path = current_folder();
    if (path.empty()) {
        return fail_from_errno(DWORD{0});
    }
    return copy_to_buffer(to_windows_path(path), lpBuffer, nBufferLength);
}

// TMPDIR, else /tmp, with a trailing backslash.
DWORD WINAPI GetTempPathA(DWORD nBufferLength, LPSTR lpBuffer) {
    return win32_posix::copy_to_buffer(win32_posix::temp_folder(), lpBuffer, nBufferLength);
}

// A folder, and a file without write permission, refuse with
// ERROR_ACCESS_DENIED; a symbolic link is removed as the link.
BOOL WINAPI DeleteFileA(LPCSTR lpFileName) {
    using namespace win32_posix;
    const std::string path = to_posix_path(lpFileName);
    struct stat entry {};
    if (::lstat(path.c_str(), &entry) != 0) {
        return fail(path_error(path, errno), FALSE);
    }
    if (S_ISDIR(entry.st_mode) || (!S_ISLNK(entry.st_mode) && is_read_only(entry.st_mode))) {
        return fail(ERROR_ACCESS_DENIED, FALSE);
    }
    if (::unlink(path.c_str()) != 0) {
        return fail(path_error(path, errno), FALSE);
    }
    return TRUE;
}

// FILE_ATTRIBUTE_READONLY clears every write bit; any attributes without it
// give the owner the write bit back. Other attributes have no POSIX meaning.
BOOL WINAPI SetFileAttributesA(LPCSTR lpFileName, DWORD dwFileAttributes) {
    using namespace win32_posix;
    const std::string path = to_posix_path(lpFileName);
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        return fail(path_error(path, errno), FALSE);
    }
    const mode_t permissions = status.st_mode & 07777;
    const mode_t changed = (dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0
                               ? permissions & ~mode_t{S_IWUSR | S_IWGRP | S_IWOTH}
                               : permissions | S_IWUSR;
    if (::chmod(path.c_str(), changed) != 0) {
        return fail(path_error(path, errno), FALSE);
    }
    return TRUE;
}
