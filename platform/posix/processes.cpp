// Processes: starting programs with ShellExecuteExA, waiting for them, their
// exit codes, the current process and its command line.
//
// Exit codes: a child whose main() is ours delivers WinMain's full 32-bit
// result on its exit-code channel (process_start.hpp). For any other child the
// code is its 8-bit exit status, and for one killed by a signal 128 plus the
// signal's number, as POSIX shells report it.
#include <fcntl.h>
#include <strings.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/posix/command_line.hpp"
#include "platform/posix/current_process.hpp"
#include "platform/posix/handle_table.hpp"
#include "platform/posix/last_error.hpp"
#include "platform/posix/paths.hpp"
#include "platform/posix/process_start.hpp"
#include "platform/posix/unique_fd.hpp"
#include "platform/posix/win32_api.hpp"

extern char** environ;

namespace win32_posix {

namespace {

// How long a bounded wait sleeps between two looks at the child.
constexpr std::chrono::milliseconds poll_interval(2);

// Reads up to size bytes, fewer only at the end of the data.
std::size_t read_fully(int fd, void* buffer, std::size_t size) {
    auto* bytes = static_cast<char*>(buffer);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t count = ::read(fd, bytes + done, size - done);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            break;
        }
        done += static_cast<std::size_t>(count);
    }
    return done;
}

enum class child_state { running, exited, failed };

class process_object final : public waitable_object {
  public:
    process_object(pid_t pid, unique_fd exit_channel)
        : pid_(pid), exit_channel_(std::move(exit_channel)) {}

    // A child that has ended is reaped now; one still running is left to
    // become a zombie when it ends, until this process ends too.
    ~process_object() override { reap(); }

    DWORD wait(DWORD milliseconds) override {
        using clock = std::chrono::steady_clock;
        if (milliseconds == INFINITE) {
            block_until_exit();
        }
        const auto deadline = clock::now() + std::chrono::milliseconds(milliseconds);
        child_state state = reap();
        while (state == child_state::running) {
            const auto now = clock::now();
            if (now >= deadline) {
                return WAIT_TIMEOUT;
            }
            std::this_thread::sleep_for(std::min<clock::duration>(deadline - now, poll_interval));
            state = reap();
        }
        return state == child_state::exited ? WAIT_OBJECT_0 : fail(error_, WAIT_FAILED);
    }

    // STILL_ACTIVE while the child runs.
    bool exit_code(DWORD& code) {
        switch (reap()) {
            case child_state::running:
                code = STILL_ACTIVE;
                return true;
            case child_state::exited:
                code = exit_code_;
                return true;
            default:
                return fail(error_, false);
        }
    }

  private:
    // Waits for the child to end without reaping it, so other threads
    // looking at the same child meanwhile are not held up.
    void block_until_exit() const {
        siginfo_t info{};
        while (::waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOWAIT) != 0 &&
               errno == EINTR) {
        }
    }

    child_state reap() {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (state_ != child_state::running) {
            return state_;
        }
        int status = 0;
        pid_t result = 0;
        do {
            result = ::waitpid(pid_, &status, WNOHANG);
        } while (result < 0 && errno == EINTR);
        if (result < 0) {
            error_ = error_from_errno(errno);
            state_ = child_state::failed;
        } else if (result == pid_) {
            exit_code_ = delivered_exit_code(status);
            state_ = child_state::exited;
        }
        return state_;
    }

    DWORD delivered_exit_code(int status) const {
        if (const std::optional<DWORD> code = read_exit_channel()) {
            return *code;
        }
        if (WIFEXITED(status)) {
            return static_cast<DWORD>(WEXITSTATUS(status));
        }
        return static_cast<DWORD>(128 + WTERMSIG(status));
    }

    // The channel's read end does not block: a grandchild that inherited the
    // write end must never keep us waiting.
    std::optional<DWORD> read_exit_channel() const {
        unsigned char bytes[4] = {};
        if (read_fully(exit_channel_.get(), bytes, sizeof bytes) != sizeof bytes) {
            return std::nullopt;
        }
        return static_cast<DWORD>(bytes[0] | (bytes[1] << 8) | (bytes[2] << 16)) |
               (static_cast<DWORD>(bytes[3]) << 24);
    }

    const pid_t pid_;
    const unique_fd exit_channel_;
    std::mutex mutex_;
    child_state state_ = child_state::running;
    DWORD exit_code_ = STILL_ACTIVE;
    DWORD error_ = ERROR_SUCCESS;
};

struct launch_request {
    std::string program;                 // POSIX path
    std::vector<std::string> arguments;  // argv, the program first
    std::string folder;                  // POSIX path; empty: this process's folder
    std::string command_line;            // what the child's GetCommandLineA gives
};

// What a child that could not start its program reports to its parent.
struct start_failure {
    enum step_kind : int { none, changing_folder, executing } step;
    int error;
};

std::vector<char*> pointers_to(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (std::string& text : texts) {
        pointers.push_back(text.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}

bool starts_with(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

std::vector<std::string> child_environment(const std::string& command_line, int exit_fd) {
    const std::string command_line_entry = std::string(command_line_variable) + "=";
    const std::string exit_code_fd_entry = std::string(exit_code_fd_variable) + "=";
    std::vector<std::string> environment;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        if (!starts_with(text, command_line_entry) && !starts_with(text, exit_code_fd_entry)) {
            environment.push_back(text);
        }
    }
    environment.push_back(command_line_entry + command_line);
    environment.push_back(exit_code_fd_entry + std::to_string(exit_fd));
    return environment;
}

// Runs in the child between fork and exec: only async-signal-safe calls, as
// the parent may have other threads.
[[noreturn]] void run_child(const launch_request& request, char* const* argv, char* const* envp,
                            int status_fd, int exit_fd) {
    start_failure failure{start_failure::none, 0};
    if (!request.folder.empty() && ::chdir(request.folder.c_str()) != 0) {
        failure = {start_failure::changing_folder, errno};
    } else if (::fcntl(exit_fd, F_SETFD, 0) != 0) {
        failure = {start_failure::executing, errno};
    } else {
        ::execve(request.program.c_str(), argv, envp);
        failure = {start_failure::executing, errno};
    }
    // Should this report not arrive, the parent takes the start for a success
    // and sees the child end with 127; nothing better is left to do here.
    [[maybe_unused]] const ssize_t written = ::write(status_fd, &failure, sizeof failure);
    ::_exit(127);
}

// A relative program is found from the folder the child starts in.
std::string program_as_seen_by_child(const launch_request& request) {
    if (request.folder.empty() || starts_with(request.program, "/")) {
        return request.program;
    }
    return request.folder + "/" + request.program;
}

DWORD start_error(const launch_request& request, const start_failure& failure) {
    if (failure.step == start_failure::changing_folder) {
        const bool missing = failure.error == ENOENT || failure.error == ENOTDIR;
        return missing ? ERROR_DIRECTORY : error_from_errno(failure.error);
    }
    return path_error(program_as_seen_by_child(request), failure.error);
}

struct pipe_ends {
    unique_fd read;
    unique_fd write;
};

bool open_pipe(pipe_ends& ends) {
    int fds[2] = {-1, -1};
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        return false;
    }
    ends.read.reset(fds[0]);
    ends.write.reset(fds[1]);
    return true;
}

void reap_failed_child(pid_t pid) {
    while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
    }
}

// Starts the program; a failure to start it is known before this returns,
// from the status pipe that the exec closes on success.
std::shared_ptr<process_object> start_process(const launch_request& request, DWORD& error) {
    pipe_ends status;
    pipe_ends exit_channel;
    if (!open_pipe(status) || !open_pipe(exit_channel) ||
        ::fcntl(exit_channel.read.get(), F_SETFL, O_NONBLOCK) != 0) {
        error = error_from_errno(errno);
        return nullptr;
    }
    std::vector<std::string> arguments = request.arguments;
    std::vector<std::string> environment =
        child_environment(request.command_line, exit_channel.write.get());
    const std::vector<char*> argv = pointers_to(arguments);
    const std::vector<char*> envp = pointers_to(environment);
    const pid_t pid = ::fork();
    if (pid < 0) {
        error = error_from_errno(errno);
        return nullptr;
    }
    if (pid == 0) {
        run_child(request, argv.data(), envp.data(), status.write.get(), exit_channel.write.get());
    }
    status.write.reset();
    exit_channel.write.reset();
    start_failure failure{start_failure::none, 0};
    if (read_fully(status.read.get(), &failure, sizeof failure) == sizeof failure) {
        reap_failed_child(pid);
        error = start_error(request, failure);
        return nullptr;
    }
    return std::make_shared<process_object>(pid, std::move(exit_channel.read));
}

bool is_default_verb(LPCSTR verb) {
    return verb == nullptr || *verb == '\0' || ::strcasecmp(verb, "open") == 0;
}

launch_request request_for(const SHELLEXECUTEINFOA& info) {
    const std::string parameters = info.lpParameters == nullptr ? "" : info.lpParameters;
    launch_request request;
    request.program = to_posix_path(info.lpFile);
    request.arguments = split_arguments(parameters);
    request.arguments.insert(request.arguments.begin(), request.program);
    if (info.lpDirectory != nullptr && *info.lpDirectory != '\0') {
        request.folder = to_posix_path(info.lpDirectory);
    }
    request.command_line = "\"" + std::string(info.lpFile) + "\" " + parameters;
    return request;
}

struct command_line_record {
    std::mutex mutex;
    std::optional<std::string> text;
};

// Never destroyed: the text GetCommandLineA hands out must outlive every
// caller, static objects torn down after main included.
command_line_record& command_line_state() {
    static command_line_record* const record = new command_line_record;
    return *record;
}

// The command line from the arguments the kernel recorded for this process.
std::string own_command_line() {
    std::ifstream file("/proc/self/cmdline", std::ios::binary);
    const std::string recorded((std::istreambuf_iterator<char>(file)),
                               std::istreambuf_iterator<char>());
    std::vector<std::string> arguments;
    for (std::size_t start = 0; start < recorded.size();) {
        const std::size_t end = std::min(recorded.find('\0', start), recorded.size());
        arguments.push_back(recorded.substr(start, end - start));
        start = end + 1;
    }
    if (arguments.empty()) {
        return windows_command_line("", {});
    }
    const std::string program = arguments.front();
    arguments.erase(arguments.begin());
    return windows_command_line(program, arguments);
}

}  // namespace

void record_command_line(std::string command_line) {
    command_line_record& record = command_line_state();
    const std::lock_guard<std::mutex> lock(record.mutex);
    record.text = std::move(command_line);
}

}  // namespace win32_posix

// Starts lpFile with the default verb, its arguments split from lpParameters
// as its C runtime would split them, in the folder lpDirectory. Without
// SEE_MASK_NOCLOSEPROCESS the process handle is closed at once.
BOOL WINAPI ShellExecuteExA(LPSHELLEXECUTEINFOA pExecInfo) {
    using namespace win32_posix;
    if (pExecInfo == nullptr) {
        return fail(ERROR_INVALID_PARAMETER, FALSE);
    }
    pExecInfo->hProcess = nullptr;
    if (!is_default_verb(pExecInfo->lpVerb)) {
        return fail(ERROR_NOT_SUPPORTED, FALSE);
    }
    if (pExecInfo->lpFile == nullptr || *pExecInfo->lpFile == '\0') {
        return fail(ERROR_FILE_NOT_FOUND, FALSE);
    }
    DWORD error = ERROR_SUCCESS;
    auto process = start_process(request_for(*pExecInfo), error);
    if (process == nullptr) {
        return fail(error, FALSE);
    }
    if ((pExecInfo->fMask & SEE_MASK_NOCLOSEPROCESS) != 0) {
        pExecInfo->hProcess = insert_handle(std::move(process));
    }
    return TRUE;
}

BOOL WINAPI GetExitCodeProcess(HANDLE hProcess, LPDWORD lpExitCode) {
    using namespace win32_posix;
    if (lpExitCode == nullptr) {
        return fail(ERROR_INVALID_PARAMETER, FALSE);
    }
    if (hProcess == current_process_handle) {
        *lpExitCode = STILL_ACTIVE;
        return TRUE;
    }
    const auto process = find_handle<process_object>(hProcess);
    if (process == nullptr) {
        return fail(ERROR_INVALID_HANDLE, FALSE);
    }
    return process->exit_code(*lpExitCode) ? TRUE : FALSE;
}

HANDLE WINAPI GetCurrentProcess() {
    return win32_posix::current_process_handle;
}

LPSTR WINAPI GetCommandLineA() {
    using namespace win32_posix;
    command_line_record& record = command_line_state();
    const std::lock_guard<std::mutex> lock(record.mutex);
    if (!record.text) {
        record.text = own_command_line();
    }
    return record.text->data();
}
