#include "platform/posix/command_line.hpp"

#include "platform/posix/paths.hpp"

namespace win32_posix {

namespace {

bool is_blank(char c) {
    return c == ' ' || c == '\t';
}

// Appends what a run of backslashes at position stands for and returns the
// position after what it consumed: before a quote, half of them, and for an
// odd count the quote itself as a literal; elsewhere all of them.
std::size_t read_backslashes(const std::string& text, std::size_t position, std::string& argument) {
    const std::size_t end = text.find_first_not_of('\\', position);
    const std::size_t count = (end == std::string::npos ? text.size() : end) - position;
    if (end == std::string::npos || text[end] != '"') {
        argument.append(count, '\\');
        return position + count;
    }
    argument.append(count / 2, '\\');
    if (count % 2 == 0) {
        return end;
    }
    argument += '"';
    return end + 1;
}

// Reads one argument starting at position; leaves position after it.
std::string read_argument(const std::string& text, std::size_t& position) {
    std::string argument;
    bool quoted = false;
    while (position < text.size() && (quoted || !is_blank(text[position]))) {
        const char c = text[position];
        if (c == '\\') {
            position = read_backslashes(text, position, argument);
        } else if (c != '"') {
            argument += c;
            ++position;
        } else if (quoted && position + 1 < text.size() && text[position + 1] == '"') {
            argument += '"';
            position += 2;
        } else {
            quoted = !quoted;
            ++position;
        }
    }
    return argument;
}

}  // namespace

std::vector<std::string> split_arguments(const std::string& text) {
    std::vector<std::string> arguments;
    std::size_t position = 0;
    while (true) {
        while (position < text.size() && is_blank(text[position])) {
            ++position;
        }
        if (position == text.size()) {
            return arguments;
        }
        arguments.push_back(read_argument(text, position));
    }
}

std::string windows_command_line(const std::string& program,
                                 const std::vector<std::string>& arguments) {
    std::string line = "\"" + to_windows_path(program) + "\"";
    for (const std::string& argument : arguments) {
        line += ' ';
        line += argument;
    }
    return line;
}

std::string join_as_typed(const std::vector<std::string>& arguments) {
    std::string line;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (i > 0) {
            line += ' ';
        }
        line += arguments[i];
    }
    return line;
}

std::string command_line_tail(const std::string& command_line) {
    std::size_t position = 0;
    if (!command_line.empty() && command_line[0] == '"') {
        const std::size_t closing = command_line.find('"', 1);
        position = closing == std::string::npos ? command_line.size() : closing + 1;
    } else {
        while (position < command_line.size() && !is_blank(command_line[position])) {
            ++position;
        }
    }
    while (position < command_line.size() && is_blank(command_line[position])) {
        ++position;
    }
    return command_line.substr(position);
}

}  // namespace win32_posix
