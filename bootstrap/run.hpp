#pragma once

#include <cstdint>
#include <string>

// The stub's one run, from the command-line tail it was started with to the
// exit code it ends with: the installer's, or 1 for every failure of its own.
std::uint32_t run_stub(const std::string& command_line);
