// The installer's command line: its parameters, built from the package's
// "parameters" value and the user's command line, and the executable to start.
#pragma once

#include <string>

#include "package/value_map.hpp"

// Puts the forwarded text into the /V option of "parameters" and the rest of
// the user's command line ("commandline") in front of it, separated by a
// space that is there even when "commandline" is empty. Only the exact bytes
// "/V" count as the option:
// - none:        /V"<forwarded>" is appended, without a space in front;
// - /V"...:      "<forwarded> " goes right behind the first /V";
// - only /V...:  "\"<forwarded>\"" goes in at index 2, which is right behind
//                /V only when the text begins with it.
// "parameters" stays as it was when anything fails. Never throws.
void merge_forwarded_text(value_map& values, const std::string& forwarded) noexcept;

// When "msilog" is exactly "ON", clears the attributes of the MSI log file,
// Plenta_msi.log.txt in the work folder's parent folder, and puts the option
// /l*v \"<path>\" into the /V option of "parameters" as merge_forwarded_text
// puts the forwarded text there. "parameters" stays as it was when anything
// fails. Never throws.
void add_msi_log_option(value_map& values, const std::string& work_folder) noexcept;

// The installer parameters: "parameters", expanded.
std::string installer_parameters(value_map& values);

// The installer executable, relative to the work folder: "executable64" on
// 64-bit Windows (wow64), otherwise "executable32", expanded.
std::string executable_value(value_map& values, bool wow64);
