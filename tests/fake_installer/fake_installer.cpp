// The installer that the end-to-end tests pack into the stub. It does what
// its environment tells it and reports what it was given:
//
// STUBRA_FAKE_INSTALLER_EXIT_CODE  its exit code, decimal or 0x... hexadecimal
//                                  (strtoul with base 0); 0 when unset
// STUBRA_FAKE_INSTALLER_REPORT     the path of a report file to write; none is
//                                  written when unset. Its lines, each ending
//                                  with "\n":
//     program: <GetModuleFileNameA(), the path it was started from>
//     command line: <GetCommandLineA() without the program token: a leading
//                    quoted token up to its closing quote, or an unquoted one
//                    up to the first space; then one space, if there is one>
//     working folder: <GetCurrentDirectoryA()>
//     file: <name>   one line per entry of the folder that holds this program,
//                    sorted by byte value, without "." and ".."
#include <algorithm>
#include <cstdlib>
#include <string>

#include "platform/test_scratch_folder.hpp"
#include "platform/win32.hpp"

namespace {

std::string command_line_arguments() {
    const std::string line = GetCommandLineA();
    std::size_t end = 0;
    if (!line.empty() && line[0] == '"') {
        const std::size_t closing = line.find('"', 1);
        end = closing == std::string::npos ? line.size() : closing + 1;
    } else {
        end = std::min(line.find(' '), line.size());
    }
    if (end < line.size() && line[end] == ' ') {
        ++end;
    }
    return line.substr(end);
}

std::string current_folder() {
    const DWORD size = GetCurrentDirectoryA(0, nullptr);
    std::string folder(size, '\0');
    const DWORD length = GetCurrentDirectoryA(size, folder.data());
    folder.resize(length < size ? length : 0);
    return folder;
}

std::string own_path() {
    std::string path(MAX_PATH, '\0');
    DWORD length = 0;
    while ((length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()))) ==
           path.size()) {
        path.resize(path.size() * 2);
    }
    path.resize(length);
    return path;
}

std::string folder_of(const std::string& path) {
    const std::size_t separator = path.find_last_of('\\');
    return separator == std::string::npos ? std::string() : path.substr(0, separator);
}

std::string report() {
    const std::string program = own_path();
    std::string text = "program: " + program + "\n";
    text += "command line: " + command_line_arguments() + "\n";
    text += "working folder: " + current_folder() + "\n";
    for (const std::string& name : folder_entries(folder_of(program) + "\\")) {
        text += "file: " + name + "\n";
    }
    return text;
}

// A report that cannot be written is not reported here: the test that asked
// for it finds it missing or short.
void write_report(const char* path) {
    HANDLE file =
        CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return;
    }
    const std::string text = report();
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
}

DWORD requested_exit_code() {
    const char* code = std::getenv("STUBRA_FAKE_INSTALLER_EXIT_CODE");
    return code == nullptr ? 0 : static_cast<DWORD>(std::strtoul(code, nullptr, 0));
}

}  // namespace

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nShowCmd) {
    static_cast<void>(hInstance);
    static_cast<void>(hPrevInstance);
    static_cast<void>(lpCmdLine);  // the report shows GetCommandLineA, as installers read it
    static_cast<void>(nShowCmd);
    if (const char* path = std::getenv("STUBRA_FAKE_INSTALLER_REPORT")) {
        write_report(path);
    }
    return static_cast<int>(requested_exit_code());
}
