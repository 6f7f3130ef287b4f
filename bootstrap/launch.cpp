#include "bootstrap/launch.hpp"

#include "platform/win32.hpp"
#include "varnel/handle.hpp"

namespace {

constexpr std::uint32_t failure = 1;

void show_message(const char* caption, const char* text) {
    MessageBoxA(nullptr, text, caption, MB_OK);
}

std::uint32_t wait_for_exit_code(const varnel::handle& process) {
    if (WaitForSingleObject(process.get(), INFINITE) != WAIT_OBJECT_0) {
        show_message("WaitForSingleObject failed", "Unable to wait for process");
        return failure;
    }
    DWORD exit_code = 0;
    if (!GetExitCodeProcess(process.get(), &exit_code)) {
        show_message("GetExitCodeProcess failed", "Unable to get process exit code");
        return failure;
    }
    return exit_code;
}

}  // namespace

std::uint32_t launch_installer(const std::string& file, const std::string& parameters,
                               const std::string& working_folder) {
    SHELLEXECUTEINFOA launch{};
    launch.cbSize = sizeof(launch);
    launch.fMask = SEE_MASK_NOCLOSEPROCESS;
    launch.hwnd = nullptr;
    launch.lpVerb = nullptr;
    launch.lpFile = file.c_str();
    launch.lpParameters = parameters.c_str();
    launch.lpDirectory = working_folder.c_str();
    launch.nShow = SW_SHOWNORMAL;

    if (file.empty() || !ShellExecuteExA(&launch)) {
        show_message("ShellExecuteEx failed", "Unable to spawn process");
        return failure;
    }
    const varnel::handle process(launch.hProcess);
    return wait_for_exit_code(process);
}
