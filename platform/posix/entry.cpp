// The process entry: main() prepares what a Windows program finds at start
// and calls the program's WinMain.
//
// - GetCommandLineA gives WIN32_COMMAND_LINE when ShellExecuteExA started us
//   (process_start.hpp), otherwise our own arguments joined Windows-style.
// - lpCmdLine is the tail of that command line after the program token when
//   ShellExecuteExA started us, otherwise argv[1..] joined by single spaces
//   exactly as typed: `stubra /S '/V"A=1 B=2"'` gives `/S /V"A=1 B=2"`.
// - WinMain's 32-bit result goes to the exit-code channel when one was given,
//   and is our exit status, of which POSIX keeps 8 bits.
// Both variables are taken out of the environment, and the channel is closed
// on exec, so programs we start do not mistake them for their own.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "platform/posix/command_line.hpp"
#include "platform/posix/process_start.hpp"
#include "platform/posix/unique_fd.hpp"
#include "platform/posix/win32_api.hpp"

namespace {

std::optional<std::string> take_environment_variable(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr) {
        return std::nullopt;
    }
    std::string text = value;
    ::unsetenv(name);
    return text;
}

// The channel named by WIN32_EXIT_CODE_FD, when that names an open file.
win32_posix::unique_fd take_exit_channel() {
    const std::optional<std::string> number =
        take_environment_variable(win32_posix::exit_code_fd_variable);
    if (!number || number->empty()) {
        return {};
    }
    char* end = nullptr;
    errno = 0;
    const long fd = std::strtol(number->c_str(), &end, 10);
    if (*end != '\0' || errno != 0 || fd < 0 || fd > INT_MAX) {
        return {};
    }
    const int channel = static_cast<int>(fd);
    if (::fcntl(channel, F_SETFD, FD_CLOEXEC) != 0) {
        return {};
    }
    return win32_posix::unique_fd(channel);
}

void deliver_exit_code(const win32_posix::unique_fd& channel, int result) {
    if (!channel.valid()) {
        return;
    }
    // A parent that has closed the channel must not turn our exit into a
    // death by SIGPIPE; nothing else runs after this.
    std::signal(SIGPIPE, SIG_IGN);
    const auto code = static_cast<DWORD>(result);
    const unsigned char bytes[4] = {
        static_cast<unsigned char>(code & 0xFF), static_cast<unsigned char>((code >> 8) & 0xFF),
        static_cast<unsigned char>((code >> 16) & 0xFF), static_cast<unsigned char>(code >> 24)};
    // Four bytes go into an empty pipe in one piece or not at all; when they
    // do not, the parent falls back to our 8-bit exit status.
    while (::write(channel.get(), bytes, sizeof bytes) < 0 && errno == EINTR) {
    }
}

}  // namespace

int main(int argc, char** argv) {
    using namespace win32_posix;
    const std::optional<std::string> given_command_line =
        take_environment_variable(command_line_variable);
    const unique_fd exit_channel = take_exit_channel();
    const std::string program = argc > 0 ? argv[0] : "";
    const std::vector<std::string> arguments(argv + std::min(argc, 1), argv + argc);
    std::string tail;
    if (given_command_line) {
        record_command_line(*given_command_line);
        tail = command_line_tail(*given_command_line);
    } else {
        record_command_line(windows_command_line(program, arguments));
        tail = join_as_typed(arguments);
    }
    const int result = WinMain(nullptr, nullptr, tail.data(), SW_SHOWNORMAL);
    deliver_exit_code(exit_channel, result);
    return result;
}
