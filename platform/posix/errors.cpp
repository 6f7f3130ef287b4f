// Last errors, the errno table and the system's message texts.
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/posix/last_error.hpp"
#include "platform/posix/win32_api.hpp"

namespace win32_posix {

namespace {

thread_local DWORD last_error = ERROR_SUCCESS;

struct errno_mapping {
    int error;
    DWORD code;
};

// Errors without an entry are ERROR_INVALID_FUNCTION.
constexpr errno_mapping errno_mappings[] = {
    {0, ERROR_SUCCESS},
    {ENOENT, ERROR_FILE_NOT_FOUND},
    {ENOTDIR, ERROR_PATH_NOT_FOUND},
    {EMFILE, ERROR_TOO_MANY_OPEN_FILES},
    {ENFILE, ERROR_TOO_MANY_OPEN_FILES},
    {EACCES, ERROR_ACCESS_DENIED},
    {EPERM, ERROR_ACCESS_DENIED},
    {EISDIR, ERROR_ACCESS_DENIED},
    {EBADF, ERROR_INVALID_HANDLE},
    {ECHILD, ERROR_INVALID_HANDLE},
    {ENOMEM, ERROR_NOT_ENOUGH_MEMORY},
    {EROFS, ERROR_WRITE_PROTECT},
    {EBUSY, ERROR_SHARING_VIOLATION},
    {ETXTBSY, ERROR_SHARING_VIOLATION},
    {ENOTSUP, ERROR_NOT_SUPPORTED},
    {EEXIST, ERROR_ALREADY_EXISTS},
    {EINVAL, ERROR_INVALID_PARAMETER},
    {EPIPE, ERROR_BROKEN_PIPE},
    {ENOSPC, ERROR_DISK_FULL},
    {EDQUOT, ERROR_DISK_FULL},
    {EFBIG, ERROR_DISK_FULL},
    {ENAMETOOLONG, ERROR_FILENAME_EXCED_RANGE},
    {ENOTEMPTY, ERROR_DIR_NOT_EMPTY},
    {ENOEXEC, ERROR_BAD_EXE_FORMAT},
    {ELOOP, ERROR_CANT_RESOLVE_FILENAME},
};

struct message_text {
    DWORD code;
    const char* text;
};

// The English texts of the system's message table for every code the layer
// sets, each ending with CR LF as the system's own do. Inserts ("%1") stay as
// they are: the layer formats only with FORMAT_MESSAGE_IGNORE_INSERTS.
constexpr message_text message_texts[] = {
    {ERROR_SUCCESS, "The operation completed successfully.\r\n"},
    {ERROR_INVALID_FUNCTION, "Incorrect function.\r\n"},
    {ERROR_FILE_NOT_FOUND, "The system cannot find the file specified.\r\n"},
    {ERROR_PATH_NOT_FOUND, "The system cannot find the path specified.\r\n"},
    {ERROR_TOO_MANY_OPEN_FILES, "The system cannot open the file.\r\n"},
    {ERROR_ACCESS_DENIED, "Access is denied.\r\n"},
    {ERROR_INVALID_HANDLE, "The handle is invalid.\r\n"},
    {ERROR_NOT_ENOUGH_MEMORY,
     "Not enough memory resources are available to process this command.\r\n"},
    {ERROR_OUTOFMEMORY,
     "Not enough memory resources are available to complete this operation.\r\n"},
    {ERROR_NO_MORE_FILES, "There are no more files.\r\n"},
    {ERROR_WRITE_PROTECT, "The media is write protected.\r\n"},
    {ERROR_SHARING_VIOLATION,
     "The process cannot access the file because it is being used by another process.\r\n"},
    {ERROR_HANDLE_EOF, "Reached the end of the file.\r\n"},
    {ERROR_NOT_SUPPORTED, "The request is not supported.\r\n"},
    {ERROR_FILE_EXISTS, "The file exists.\r\n"},
    {ERROR_INVALID_PARAMETER, "The parameter is incorrect.\r\n"},
    {ERROR_BROKEN_PIPE, "The pipe has been ended.\r\n"},
    {ERROR_DISK_FULL, "There is not enough space on the disk.\r\n"},
    {ERROR_INSUFFICIENT_BUFFER, "The data area passed to a system call is too small.\r\n"},
    {ERROR_INVALID_NAME, "The filename, directory name, or volume label syntax is incorrect.\r\n"},
    {ERROR_MOD_NOT_FOUND, "The specified module could not be found.\r\n"},
    {ERROR_PROC_NOT_FOUND, "The specified procedure could not be found.\r\n"},
    {ERROR_NEGATIVE_SEEK,
     "An attempt was made to move the file pointer before the beginning of the file.\r\n"},
    {ERROR_DIR_NOT_EMPTY, "The directory is not empty.\r\n"},
    {ERROR_ALREADY_EXISTS, "Cannot create a file when that file already exists.\r\n"},
    {ERROR_BAD_EXE_FORMAT, "%1 is not a valid Win32 application.\r\n"},
    {ERROR_FILENAME_EXCED_RANGE, "The filename or extension is too long.\r\n"},
    {ERROR_DIRECTORY, "The directory name is invalid.\r\n"},
    {ERROR_MR_MID_NOT_FOUND,
     "The system cannot find message text for message number 0x%1 in the message file for "
     "%2.\r\n"},
    {ERROR_RESOURCE_LANG_NOT_FOUND,
     "The specified resource language ID cannot be found in the image file.\r\n"},
    {ERROR_CANT_RESOLVE_FILENAME, "The name of the file cannot be resolved by the system.\r\n"},
};

const char* find_message_text(DWORD code) {
    for (const message_text& message : message_texts) {
        if (message.code == code) {
            return message.text;
        }
    }
    return nullptr;
}

constexpr DWORD supported_flags =
    FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM;
constexpr DWORD required_flags = FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM;
constexpr DWORD user_default_language = MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT);
constexpr DWORD english_united_states = 0x409;

bool is_supported_language(DWORD language) {
    return language == LANG_NEUTRAL || language == user_default_language ||
           language == english_united_states;
}

// Copies text into a buffer the caller frees with LocalFree.
DWORD allocate_message(const char* text, LPSTR* buffer) {
    const std::size_t length = std::strlen(text);
    auto* copy = static_cast<char*>(std::malloc(length + 1));
    if (copy == nullptr) {
        return fail(ERROR_NOT_ENOUGH_MEMORY, DWORD{0});
    }
    std::memcpy(copy, text, length + 1);
    *buffer = copy;
    return static_cast<DWORD>(length);
}

// Copies text into the caller's buffer of size characters.
DWORD copy_message(const char* text, LPSTR buffer, DWORD size) {
    const std::size_t length = std::strlen(text);
    if (length >= size) {
        return fail(ERROR_INSUFFICIENT_BUFFER, DWORD{0});
    }
    std::memcpy(buffer, text, length + 1);
    return static_cast<DWORD>(length);
}

}  // namespace

DWORD error_from_errno(int error) {
    for (const errno_mapping& mapping : errno_mappings) {
        if (mapping.error == error) {
            return mapping.code;
        }
    }
    return ERROR_INVALID_FUNCTION;
}

}  // namespace win32_posix

DWORD WINAPI GetLastError() {
    return win32_posix::last_error;
}

void WINAPI SetLastError(DWORD dwErrCode) {
    win32_posix::last_error = dwErrCode;
}

// Supports what the system asks for: messages from the system table, inserts
// ignored, into an allocated buffer or the caller's; English texts only.
DWORD WINAPI FormatMessageA(DWORD dwFlags, LPCVOID lpSource, DWORD dwMessageId, DWORD dwLanguageId,
                            LPSTR lpBuffer, DWORD nSize, va_list_ptr Arguments) {
    using namespace win32_posix;
    static_cast<void>(lpSource);   // only for FORMAT_MESSAGE_FROM_HMODULE or _FROM_STRING
    static_cast<void>(Arguments);  // inserts are always ignored
    if ((dwFlags & ~supported_flags) != 0 || (dwFlags & required_flags) != required_flags ||
        lpBuffer == nullptr) {
        return fail(ERROR_INVALID_PARAMETER, DWORD{0});
    }
    const char* text = find_message_text(dwMessageId);
    if (text == nullptr) {
        return fail(ERROR_MR_MID_NOT_FOUND, DWORD{0});
    }
    if (!is_supported_language(dwLanguageId)) {
        return fail(ERROR_RESOURCE_LANG_NOT_FOUND, DWORD{0});
    }
    if ((dwFlags & FORMAT_MESSAGE_ALLOCATE_BUFFER) != 0) {
        return allocate_message(text, reinterpret_cast<LPSTR*>(lpBuffer));
    }
    return copy_message(text, lpBuffer, nSize);
}

HLOCAL WINAPI LocalFree(HLOCAL hMem) {
    std::free(hMem);
    return nullptr;
}
