#include "bootstrap/wow64.hpp"

#include "platform/win32.hpp"

namespace {

using is_wow64_process_function = BOOL(WINAPI*)(HANDLE, PBOOL);

// Looked up at run time: systems before 64-bit Windows do not have it.
is_wow64_process_function find_is_wow64_process() {
    const HMODULE kernel32 = GetModuleHandleA("kernel32");
    if (kernel32 == nullptr) {
        return nullptr;
    }
    const FARPROC entry = GetProcAddress(kernel32, "IsWow64Process");
    return reinterpret_cast<is_wow64_process_function>(reinterpret_cast<void*>(entry));
}

}  // namespace

bool is_wow64() {
    const is_wow64_process_function is_wow64_process = find_is_wow64_process();
    if (is_wow64_process == nullptr) {
        return false;
    }
    BOOL wow64 = FALSE;
    if (!is_wow64_process(GetCurrentProcess(), &wow64)) {
        return false;
    }
    return wow64 != FALSE;
}
