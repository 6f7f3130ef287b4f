#pragma once

#include <cstdint>
#include <string>

// Starts the installer file with its parameters in the given working folder,
// waits for it without a time limit and returns its exit code. Every failure
// shows its message box and gives 1.
std::uint32_t launch_installer(const std::string& file, const std::string& parameters,
                               const std::string& working_folder);
