// Command-line texts as Windows programs see them.
#pragma once

#include <string>
#include <vector>

namespace win32_posix {

// Splits a command-line text into arguments by the rules a Windows program's
// C runtime applies to its own command line: blanks (space, tab) separate
// arguments outside quotes; 2n backslashes before a quote give n backslashes
// and the quote starts or ends quoting; 2n+1 backslashes before a quote give n
// backslashes and a literal quote; other backslashes are literal; inside
// quotes, two quotes give one literal quote and quoting goes on.
std::vector<std::string> split_arguments(const std::string& text);

// The command line Windows shows for a program started from a shell: the
// program path quoted, in backslash form, then the arguments as typed, each
// after a single space.
std::string windows_command_line(const std::string& program,
                                 const std::vector<std::string>& arguments);

// The arguments as typed, joined by single spaces.
std::string join_as_typed(const std::vector<std::string>& arguments);

// What WinMain receives of a command line: the text after the program token
// (quoted up to its closing quote, or unquoted up to the first blank) and the
// blanks that follow it.
std::string command_line_tail(const std::string& command_line);

}  // namespace win32_posix
