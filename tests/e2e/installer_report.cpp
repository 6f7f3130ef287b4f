#include "tests/e2e/installer_report.hpp"

#include <fstream>

namespace e2e {

namespace {

bool take(const std::string& line, const std::string& label, std::string& field) {
    if (line.compare(0, label.size(), label) != 0) {
        return false;
    }
    field = line.substr(label.size());
    return true;
}

}  // namespace

std::optional<installer_report> read_installer_report(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    installer_report report;
    std::string line;
    std::string file;
    while (std::getline(in, line)) {
        if (take(line, "file: ", file)) {
            report.files.push_back(file);
        } else if (!take(line, "program: ", report.program) &&
                   !take(line, "command line: ", report.command_line)) {
            take(line, "working folder: ", report.working_folder);
        }
    }
    return report;
}

}  // namespace e2e
