// The user's command line: the stub's own /V option, whose value goes into the
// installer's /V option, and the rest, which goes in front of the installer's
// parameters.
#pragma once

#include <string>

#include "package/value_map.hpp"

// Cuts the first /V option (any case) out of command_line, stores what is left
// as "commandline" and returns the option's value. The quoted form /V"..."
// is taken when present anywhere, even after an unquoted /V; its value ends at
// the first double quote not preceded by a backslash, and is returned exactly
// as typed. The unquoted form's value ends before the next " /".
// With no /V, or a quoted value that is never closed, "commandline" is the
// whole command line and nothing is forwarded. Never throws.
std::string split_command_line(const std::string& command_line, value_map& values) noexcept;

// The forwarded text without its first USER_PARTNER_IDENTITY= token, which runs
// up to the next space (the space stays) or the end of the text. Left whole
// when parameters (the package's "parameters" value) holds "VIRGIN=1". Both
// searches match exact bytes. Never throws.
std::string strip_partner_identity(std::string forwarded, const std::string& parameters) noexcept;
