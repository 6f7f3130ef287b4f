// Modules: the program's own module and its file, and "kernel32" with the one
// entry looked up at run time, IsWow64Process.
//
// IsWow64Process follows the environment variable WIN32_POSIX_WOW64, so tests
// can play either kind of Windows: "1" the entry is there and answers TRUE
// (a 32-bit process on 64-bit Windows), "0" it answers FALSE, "fail" the call
// fails with ERROR_INVALID_HANDLE; unset or any other value, the entry is
// missing, as on Windows versions before it existed.
#include <strings.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/posix/last_error.hpp"
#include "platform/posix/paths.hpp"
#include "platform/posix/win32_api.hpp"

struct posix_instance {
    const char* name;
};

namespace win32_posix {

namespace {

posix_instance main_module{"main"};
posix_instance kernel32_module{"kernel32"};

enum class wow64_answer { missing, yes, no, failure };

wow64_answer wow64_from_environment() {
    const char* value = std::getenv("WIN32_POSIX_WOW64");
    if (value == nullptr) {
        return wow64_answer::missing;
    }
    if (std::strcmp(value, "1") == 0) {
        return wow64_answer::yes;
    }
    if (std::strcmp(value, "0") == 0) {
        return wow64_answer::no;
    }
    return std::strcmp(value, "fail") == 0 ? wow64_answer::failure : wow64_answer::missing;
}

BOOL WINAPI is_wow64_process(HANDLE hProcess, PBOOL Wow64Process) {
    static_cast<void>(hProcess);  // every process of ours is of the same kind
    const wow64_answer answer = wow64_from_environment();
    if (answer != wow64_answer::yes && answer != wow64_answer::no) {
        return fail(ERROR_INVALID_HANDLE, FALSE);
    }
    if (Wow64Process == nullptr) {
        return fail(ERROR_INVALID_PARAMETER, FALSE);
    }
    *Wow64Process = answer == wow64_answer::yes ? TRUE : FALSE;
    return TRUE;
}

bool is_kernel32(LPCSTR name) {
    return ::strcasecmp(name, "kernel32") == 0 || ::strcasecmp(name, "kernel32.dll") == 0;
}

// The program's own file, in backslash form; empty when the system cannot say.
std::string own_file() {
    std::string path(256, '\0');
    while (true) {
        const ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size());
        if (length < 0) {
            return {};
        }
        if (static_cast<std::size_t>(length) < path.size()) {
            path.resize(static_cast<std::size_t>(length));
            return to_windows_path(path);
        }
        path.resize(path.size() * 2);
    }
}

}  // namespace

}  // namespace win32_posix

HMODULE WINAPI GetModuleHandleA(LPCSTR lpModuleName) {
    using namespace win32_posix;
    if (lpModuleName == nullptr) {
        return &main_module;
    }
    if (is_kernel32(lpModuleName)) {
        return &kernel32_module;
    }
    return fail(ERROR_MOD_NOT_FOUND, HMODULE{nullptr});
}

FARPROC WINAPI GetProcAddress(HMODULE hModule, LPCSTR lpProcName) {
    using namespace win32_posix;
    if (hModule != &kernel32_module && hModule != &main_module) {
        return fail(ERROR_INVALID_HANDLE, FARPROC{nullptr});
    }
    const bool is_wow64_entry = hModule == &kernel32_module && lpProcName != nullptr &&
                                std::strcmp(lpProcName, "IsWow64Process") == 0;
    if (!is_wow64_entry || wow64_from_environment() == wow64_answer::missing) {
        return fail(ERROR_PROC_NOT_FOUND, FARPROC{nullptr});
    }
    // Through the generic function type, which converts to and from any other.
    return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(&is_wow64_process));
}

// Only the program's own module has a file here. A path that does not fit is
// cut to nSize - 1 characters and terminated, and nSize is returned with
// ERROR_INSUFFICIENT_BUFFER.
DWORD WINAPI GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize) {
    using namespace win32_posix;
    if (hModule != nullptr && hModule != &main_module) {
        return fail(ERROR_MOD_NOT_FOUND, DWORD{0});
    }
    const std::string path = own_file();
    if (path.empty()) {
        return fail_from_errno(DWORD{0});
    }
    if (nSize == 0) {
        return fail(ERROR_INSUFFICIENT_BUFFER, DWORD{0});
    }
    if (path.size() < nSize) {
        std::memcpy(lpFilename, path.c_str(), path.size() + 1);
        return static_cast<DWORD>(path.size());
    }
    std::memcpy(lpFilename, path.data(), nSize - 1);
    lpFilename[nSize - 1] = '\0';
    return fail(ERROR_INSUFFICIENT_BUFFER, nSize);
}
