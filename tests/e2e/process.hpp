// Runs a host program to its end and collects what a user could observe of it.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace e2e {

struct process_request {
    std::vector<std::string> arguments;              // program first
    std::map<std::string, std::string> environment;  // added to, or replacing, ours
    std::vector<std::string> unset;                  // removed from the environment
    std::string working_folder;                      // empty: ours
    // Offer the POSIX layer's 32-bit exit-code channel (WIN32_EXIT_CODE_FD).
    bool full_exit_code = false;
};

struct process_result {
    std::uint32_t exit_code = 0;  // the full 32-bit code when the channel delivered it
    std::string standard_output;
    std::string standard_error;
};

// Throws std::runtime_error naming the failing call when the program cannot
// be run at all.
process_result run_process(const process_request& request);

}  // namespace e2e
