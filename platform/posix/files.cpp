// Files: opening, reading, writing, the file pointer and the size.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <memory>

#include "platform/posix/file_modes.hpp"
#include "platform/posix/handle_table.hpp"
#include "platform/posix/last_error.hpp"
#include "platform/posix/paths.hpp"
#include "platform/posix/unique_fd.hpp"
#include "platform/posix/win32_api.hpp"

namespace win32_posix {

namespace {

class file_object final : public kernel_object {
  public:
    explicit file_object(unique_fd fd) : fd_(std::move(fd)) {}
    int fd() const { return fd_.get(); }

  private:
    unique_fd fd_;
};

// New files get every permission the umask allows: Windows has no execute
// bit, so an extracted program must be startable as it is.
constexpr mode_t new_file_mode = 0777;

bool is_valid_request(DWORD access, DWORD disposition) {
    if ((access & ~(GENERIC_READ | GENERIC_WRITE)) != 0) {
        return false;
    }
    if (disposition == TRUNCATE_EXISTING) {
        return (access & GENERIC_WRITE) != 0;
    }
    return disposition >= CREATE_NEW && disposition <= OPEN_ALWAYS;
}

int open_flags(DWORD access, DWORD disposition) {
    int flags = O_CLOEXEC;
    if ((access & GENERIC_WRITE) == 0) {
        flags |= O_RDONLY;
    } else {
        flags |= (access & GENERIC_READ) != 0 ? O_RDWR : O_WRONLY;
    }
    if (disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING) {
        flags |= O_TRUNC;
    }
    return flags;
}

bool changes_content(DWORD access, DWORD disposition) {
    return (access & GENERIC_WRITE) != 0 || disposition == CREATE_ALWAYS ||
           disposition == TRUNCATE_EXISTING;
}

// A read-only file refuses writing and truncation, for root too.
bool is_read_only_file(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
           is_read_only(status.st_mode);
}

struct opened_file {
    unique_fd fd;
    bool existed = false;
};

// Creates the file, or opens it when it is already there; says which.
opened_file create_or_open(const std::string& path, int flags) {
    unique_fd created(::open(path.c_str(), flags | O_CREAT | O_EXCL, new_file_mode));
    if (created.valid() || errno != EEXIST) {
        return {std::move(created), false};
    }
    return {unique_fd(::open(path.c_str(), flags)), true};
}

opened_file open_file(const std::string& path, int flags, DWORD disposition) {
    switch (disposition) {
        case CREATE_NEW:
            return {unique_fd(::open(path.c_str(), flags | O_CREAT | O_EXCL, new_file_mode)),
                    false};
        case CREATE_ALWAYS:
        case OPEN_ALWAYS:
            return create_or_open(path, flags);
        default:
            return {unique_fd(::open(path.c_str(), flags)), true};
    }
}

DWORD open_error(const std::string& path, DWORD disposition, int error) {
    if (error == EEXIST && disposition == CREATE_NEW) {
        return ERROR_FILE_EXISTS;
    }
    return path_error(path, error);
}

bool is_folder(int fd) {
    struct stat status {};
    return ::fstat(fd, &status) == 0 && S_ISDIR(status.st_mode);
}

std::shared_ptr<file_object> find_file(HANDLE handle) {
    return find_handle<file_object>(handle);
}

// A handle without the access a call needs shows up as EBADF: on Windows
// that is a refusal, not a bad handle.
DWORD transfer_error(int error) {
    return error == EBADF ? ERROR_ACCESS_DENIED : error_from_errno(error);
}

bool add_offset(std::int64_t base, std::int64_t distance, std::int64_t& target) {
    return !__builtin_add_overflow(base, distance, &target);
}

std::int64_t requested_distance(LONG low, const LONG* high) {
    if (high == nullptr) {
        return low;
    }
    const std::uint64_t bits =
        (static_cast<std::uint64_t>(static_cast<std::uint32_t>(*high)) << 32) |
        static_cast<std::uint32_t>(low);
    return static_cast<std::int64_t>(bits);
}

bool move_base(int fd, DWORD method, std::int64_t& base) {
    switch (method) {
        case FILE_BEGIN:
            base = 0;
            return true;
        case FILE_CURRENT:
            base = ::lseek(fd, 0, SEEK_CUR);
            return base >= 0;
        case FILE_END: {
            struct stat status {};
            if (::fstat(fd, &status) != 0) {
                return false;
            }
            base = status.st_size;
            return true;
        }
        default:
            errno = EINVAL;
            return false;
    }
}

}  // namespace

}  // namespace win32_posix

// Share modes are accepted and not enforced: POSIX has no mandatory locks.
// Attributes and flags other than FILE_FLAG_SEQUENTIAL_SCAN have no effect;
// security attributes are ignored and handles are never inherited.
HANDLE WINAPI CreateFileA(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                          LPSECURITY_ATTRIBUTES lpSecurityAttributes, DWORD dwCreationDisposition,
                          DWORD dwFlagsAndAttributes, HANDLE hTemplateFile) {
    using namespace win32_posix;
    static_cast<void>(dwShareMode);
    static_cast<void>(lpSecurityAttributes);
    static_cast<void>(hTemplateFile);
    if (!is_valid_request(dwDesiredAccess, dwCreationDisposition)) {
        return fail(ERROR_INVALID_PARAMETER, INVALID_HANDLE_VALUE);
    }
    const std::string path = to_posix_path(lpFileName);
    if (dwCreationDisposition != CREATE_NEW &&
        changes_content(dwDesiredAccess, dwCreationDisposition) && is_read_only_file(path)) {
        return fail(ERROR_ACCESS_DENIED, INVALID_HANDLE_VALUE);
    }
    opened_file file =
        open_file(path, open_flags(dwDesiredAccess, dwCreationDisposition), dwCreationDisposition);
    if (!file.fd.valid()) {
        return fail(open_error(path, dwCreationDisposition, errno), INVALID_HANDLE_VALUE);
    }
    if (is_folder(file.fd.get())) {
        return fail(ERROR_ACCESS_DENIED, INVALID_HANDLE_VALUE);
    }
    if ((dwFlagsAndAttributes & FILE_FLAG_SEQUENTIAL_SCAN) != 0) {
        // Advice only: a kernel that ignores it reads the file just the same.
        ::posix_fadvise(file.fd.get(), 0, 0, POSIX_FADV_SEQUENTIAL);
    }
    const bool reports_existing = file.existed && (dwCreationDisposition == CREATE_ALWAYS ||
                                                   dwCreationDisposition == OPEN_ALWAYS);
    HANDLE handle = insert_handle(std::make_shared<file_object>(std::move(file.fd)));
    SetLastError(reports_existing ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return handle;
}

// Reads until the count is delivered or the end of the file; a short count at
// the end is a success.
BOOL WINAPI ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead,
                     LPDWORD lpNumberOfBytesRead, LPOVERLAPPED lpOverlapped) {
    using namespace win32_posix;
    if (lpNumberOfBytesRead != nullptr) {
        *lpNumberOfBytesRead = 0;
    }
    if (lpOverlapped != nullptr) {
        return fail(ERROR_INVALID_PARAMETER, FALSE);
    }
    const auto file = find_file(hFile);
    if (file == nullptr) {
        return fail(ERROR_INVALID_HANDLE, FALSE);
    }
    auto* bytes = static_cast<char*>(lpBuffer);
    DWORD done = 0;
    while (done < nNumberOfBytesToRead) {
        const ssize_t count = ::read(file->fd(), bytes + done, nNumberOfBytesToRead - done);
        if (count == 0) {
            break;
        }
        if (count < 0) {
            if (errno == EINTR) {
                continue;
            }
            return fail(transfer_error(errno), FALSE);
        }
        done += static_cast<DWORD>(count);
        if (lpNumberOfBytesRead != nullptr) {
            *lpNumberOfBytesRead = done;
        }
    }
    return TRUE;
}

BOOL WINAPI WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite,
                      LPDWORD lpNumberOfBytesWritten, LPOVERLAPPED lpOverlapped) {
    using namespace win32_posix;
    if (lpNumberOfBytesWritten != nullptr) {
        *lpNumberOfBytesWritten = 0;
    }
    if (lpOverlapped != nullptr) {
        return fail(ERROR_INVALID_PARAMETER, FALSE);
    }
    const auto file = find_file(hFile);
    if (file == nullptr) {
        return fail(ERROR_INVALID_HANDLE, FALSE);
    }
    const auto* bytes = static_cast<const char*>(lpBuffer);
    DWORD done = 0;
    while (done < nNumberOfBytesToWrite) {
        const ssize_t count = ::write(file->fd(), bytes + done, nNumberOfBytesToWrite - done);
        if (count < 0) {
            if (errno == EINTR) {
                continue;
            }
            return fail(transfer_error(errno), FALSE);
        }
        done += static_cast<DWORD>(count);
        if (lpNumberOfBytesWritten != nullptr) {
            *lpNumberOfBytesWritten = done;
        }
    }
    return TRUE;
}

// Without a high part the distance is a signed 32-bit value and the new
// position must fit in 32 bits. A move to before the start fails with
// ERROR_NEGATIVE_SEEK; every failure leaves the position where it was.
DWORD WINAPI SetFilePointer(HANDLE hFile, LONG lDistanceToMove, PLONG lpDistanceToMoveHigh,
                            DWORD dwMoveMethod) {
    using namespace win32_posix;
    const auto file = find_file(hFile);
    if (file == nullptr) {
        return fail(ERROR_INVALID_HANDLE, INVALID_SET_FILE_POINTER);
    }
    std::int64_t base = 0;
    if (!move_base(file->fd(), dwMoveMethod, base)) {
        return fail_from_errno(INVALID_SET_FILE_POINTER);
    }
    std::int64_t target = 0;
    if (!add_offset(base, requested_distance(lDistanceToMove, lpDistanceToMoveHigh), target)) {
        return fail(ERROR_INVALID_PARAMETER, INVALID_SET_FILE_POINTER);
    }
    if (target < 0) {
        return fail(ERROR_NEGATIVE_SEEK, INVALID_SET_FILE_POINTER);
    }
    if (lpDistanceToMoveHigh == nullptr && target > std::int64_t{0xFFFFFFFF}) {
        return fail(ERROR_INVALID_PARAMETER, INVALID_SET_FILE_POINTER);
    }
    if (::lseek(file->fd(), target, SEEK_SET) < 0) {
        return fail_from_errno(INVALID_SET_FILE_POINTER);
    }
    if (lpDistanceToMoveHigh != nullptr) {
        *lpDistanceToMoveHigh = static_cast<LONG>(target >> 32);
    }
    // A position of 0xFFFFFFFF reads like the failure value; the cleared last
    // error tells them apart.
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(target & 0xFFFFFFFF);
}

DWORD WINAPI GetFileSize(HANDLE hFile, LPDWORD lpFileSizeHigh) {
    using namespace win32_posix;
    const auto file = find_file(hFile);
    if (file == nullptr) {
        return fail(ERROR_INVALID_HANDLE, INVALID_FILE_SIZE);
    }
    struct stat status {};
    if (::fstat(file->fd(), &status) != 0) {
        return fail_from_errno(INVALID_FILE_SIZE);
    }
    const auto size = static_cast<std::uint64_t>(status.st_size);
    if (lpFileSizeHigh != nullptr) {
        *lpFileSizeHigh = static_cast<DWORD>(size >> 32);
    }
    // As with SetFilePointer: a size whose low part is 0xFFFFFFFF is told
    // from a failure by the cleared last error.
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(size & 0xFFFFFFFF);
}
