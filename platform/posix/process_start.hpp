// What a process started by ShellExecuteExA is given beyond its arguments, and
// what this process was started with.
//
// A child started by ShellExecuteExA finds in its environment:
//   WIN32_COMMAND_LINE  the command line Windows would show it: lpFile quoted,
//                       a space, lpParameters
//   WIN32_EXIT_CODE_FD  the number of a pipe's write end on which the child's
//                       main() delivers WinMain's full 32-bit result, as four
//                       bytes, least significant first, so the parent sees
//                       more than the 8 bits of a POSIX exit status
// The child's main() (entry.cpp) takes both out of its environment.
#pragma once

#include <string>

namespace win32_posix {

inline constexpr const char* command_line_variable = "WIN32_COMMAND_LINE";
inline constexpr const char* exit_code_fd_variable = "WIN32_EXIT_CODE_FD";

// Records the command line GetCommandLineA gives from now on. Without it,
// GetCommandLineA builds one from the process's own arguments.
void record_command_line(std::string command_line);

}  // namespace win32_posix
