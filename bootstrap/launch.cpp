#include "bootstrap/launch.hpp"

#include "platform/win32.hpp"

namespace {

constexpr std::uint32_t failure = 1;

// The child's process handle, closed when the launch is done with it.
class process_handle {
  public:
    explicit process_handle(HANDLE handle) : handle_(handle) {}
    process_handle(const process_handle&) = delete;
    process_handle& operator=(const process_handle&) = delete;
    ~process_handle() { CloseHandle(handle_); }

    HANDLE get() const { return handle_; }

  private:
    HANDLE handle_;
};

void show_message(const char* caption, const char* text) {
    MessageBoxA(nullptr, text, caption, MB_OK);
}

std::uint32_t wait_for_exit_code(const process_handle& process) {
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
    const process_handle process(launch.hProcess);
    return wait_for_exit_code(process);
}
