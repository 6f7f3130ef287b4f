// One end-to-end scenario: a package to pack into the stub, the command line
// the stub is started with, and what the user must see. The same table runs
// against the native stub and against stubra.exe under Wine.
//
// Expected texts may hold placeholders, filled in per run in the syntax of the
// target (backslash paths; a drive letter under Wine):
//   {temp}   the temporary folder without its trailing backslash (the
//            installer's working folder)
//   {work}   the run's work folder without its trailing backslash
//   {stub}   the packed stub's own path
// A message box text that ends with "{any}" matches any text that begins with
// what stands before it (for system error texts that differ by system).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tests/e2e/message_boxes.hpp"

namespace e2e {

// The files a scenario can pack.
enum class content {
    installer,  // the fake installer program
    readme,     // a small text file
};

struct packed_file {
    std::string key;
    std::string name;
    content source;
};

// What is done to the packed stub after packing.
enum class mutation {
    none,
    unpacked_stub,    // the stub as built, nothing appended
    corrupt_payload,  // one byte of the last file's content flipped
    trailing_bytes,   // bytes appended behind the marker, as a signature would be
    unchecked_names,  // written with the package writer alone, so that file names the
                      // packer refuses reach the stub, as from a hostile packer
};

// The machine the stub runs on: plain 32-bit Windows, or 64-bit Windows
// where the 32-bit stub runs under WoW64.
enum class machine { windows_32, windows_64 };

struct expectation {
    std::uint32_t exit_code = 0;
    std::vector<message_box> message_boxes;
    // The installer's command line after its own program path; empty
    // optional: the installer must not have run.
    std::optional<std::string> installer_command_line;
    // Names in the installer's own folder, sorted.
    std::vector<std::string> installer_folder;
    // The name of the packed installer that was started, and where.
    std::string started = "setup.exe";
    std::string working_folder = "{temp}";
    bool work_folder_removed = true;
    // Names that must not exist in the temporary folder after the run.
    std::vector<std::string> absent_from_temp;
    // Dialogs the Windows shell shows of its own before the stub's, when
    // ShellExecuteExA fails (the launch record does not ask for
    // SEE_MASK_FLAG_NO_UI). Expected on Windows targets only: the POSIX
    // layer has no shell dialogs.
    std::vector<message_box> shell_message_boxes;
};

struct scenario {
    std::string name;
    std::vector<std::pair<std::string, std::string>> values;
    std::vector<packed_file> files;
    mutation after_packing = mutation::none;
    std::string command_line;
    std::uint32_t installer_exit_code = 0;
    machine on = machine::windows_32;
    // Work folders planted in the temporary folder under the names of the
    // next seconds, each holding a file, before the stub starts.
    bool planted_work_folders = false;
    // A temporary folder longer than GetTempPathA can return, so that the
    // stub falls back to C:\Temp\. Windows targets only: the POSIX layer
    // has no drive C:.
    bool temp_path_too_long = false;
    expectation expected;
};

const std::vector<scenario>& all_scenarios();

}  // namespace e2e
