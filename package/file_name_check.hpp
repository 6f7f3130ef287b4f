#pragma once

#include <string>
#include <string_view>

// Why a file record's name is refused, or empty when the name is allowed.
// An allowed name stays inside the folder it is extracted into: it is not
// empty, not rooted (no leading separator, so no UNC or device path), has no
// ":" (no drive, no stream), and no component is "..", made only of dots and
// spaces, or a device name (CON, NUL, COM1, ... with or without an
// extension). Backslash and slash both separate components. A name with a
// folder part is allowed; the folder has to exist.
std::string_view file_name_refusal(const std::string& name);
