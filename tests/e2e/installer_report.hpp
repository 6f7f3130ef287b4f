// What the fake installer wrote about its run (tests/fake_installer).
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace e2e {

struct installer_report {
    std::string program;
    std::string command_line;
    std::string working_folder;
    std::vector<std::string> files;
};

// The report in the file, or nothing when the installer did not run.
std::optional<installer_report> read_installer_report(const std::string& path);

}  // namespace e2e
