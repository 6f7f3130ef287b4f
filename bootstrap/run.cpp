#include "bootstrap/run.hpp"

#include <ctime>
#include <exception>
#include <utility>

#include "bootstrap/clean_up.hpp"
#include "bootstrap/command_line.hpp"
#include "bootstrap/installer_parameters.hpp"
#include "bootstrap/launch.hpp"
#include "bootstrap/work_folder.hpp"
#include "bootstrap/wow64.hpp"
#include "package/extract_package.hpp"
#include "package/value_map.hpp"
#include "platform/win32.hpp"
#include "varnel/fs/temp_path.hpp"

namespace {

constexpr std::uint32_t failure = 1;
constexpr const char* fallback_temp_folder = "C:\\Temp\\";
constexpr const char* invalid_archive_text =
    "We are sorry, but your installation / update did not complete due to unexpected download "
    "errors.\r\nPlease download full version of the program";

void show_message(const char* caption, const char* text) {
    MessageBoxA(nullptr, text, caption, MB_OK);
}

// The user's temporary folder, made sure to exist; a fixed folder when the
// system cannot name one.
std::string temp_folder() {
    std::string temp = varnel::fs::temp_path();
    if (temp.empty()) {
        show_message("GetTempPath failed", "Unable to get Temporary Directory");
        temp = fallback_temp_folder;
    }
    // Normally there already; a folder that cannot be made shows up when the
    // work folder cannot be entered.
    CreateDirectoryA(temp.c_str(), nullptr);
    return temp;
}

// "ORVNT" and the start time in seconds: the low 32 bits of the calendar
// time, printed as a signed number.
std::string work_folder_name() {
    const auto now = static_cast<std::int64_t>(std::time(nullptr));
    const auto low_bits = static_cast<std::int32_t>(static_cast<std::uint32_t>(now));
    return "ORVNT" + std::to_string(low_bits) + "\\";
}

// Creates the work folder and makes it the current folder. The folder must be
// new: one that is already there was not made by this run and may have been
// planted under its predictable name, so the run never extracts into it.
bool enter_fresh_work_folder(const std::string& work_folder) {
    return CreateDirectoryA(work_folder.c_str(), nullptr) != FALSE &&
           SetCurrentDirectoryA(work_folder.c_str()) != FALSE;
}

std::string own_file_path() {
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::string(path, length);
}

// From the seeds to the installer's exit code, inside the current work folder.
std::uint32_t install(const std::string& command_line, const std::string& work_folder,
                      value_map& values) {
    values.subscript("source") = work_folder.substr(0, work_folder.size() - 1);
    std::string forwarded = split_command_line(command_line, values);

    const bool loaded = extract_package(own_file_path(), work_folder, values);

    forwarded = strip_partner_identity(std::move(forwarded), values.subscript("parameters"));
    merge_forwarded_text(values, forwarded);
    add_msi_log_option(values, work_folder);
    if (!loaded) {
        show_message("Invalid Archive!", invalid_archive_text);
        return failure;
    }

    const std::string parameters = installer_parameters(values);
    // Without an executable value the file to launch would be the bare work
    // folder, and starting a folder opens it in the shell, elevated: there is
    // no file to launch then.
    const std::string executable = executable_value(values, is_wow64());
    const std::string file = executable.empty() ? std::string() : work_folder + executable;
    return launch_installer(file, parameters, parent_folder(work_folder));
}

std::uint32_t run_in_work_folder(const std::string& command_line, value_map& values) {
    const std::string work_folder = temp_folder() + work_folder_name();
    if (!enter_fresh_work_folder(work_folder)) {
        show_message("SetCurrentDirectory failed", "Unable to set Working Directory");
        return failure;
    }
    const std::uint32_t result = install(command_line, work_folder, values);
    clean_up_run(work_folder);
    return result;
}

}  // namespace

std::uint32_t run_stub(const std::string& command_line) {
    value_map values;
    std::uint32_t result = failure;
    // The top-level handler: whatever escapes the run becomes a message box
    // and exit code 1. The work folder stays where the failure left it.
    try {
        result = run_in_work_folder(command_line, values);
    } catch (const std::exception& error) {
        show_message(error.what(), "Unhandled Exception");
    } catch (...) {
        show_message("No context available", "Unhandled Exception");
    }
    return result;
}
