// stubra-pack list: the records of a packed file as the stub walks them.
#pragma once

#include <ostream>
#include <string>

// Prints one line per record in the order the stub reads them, then a verdict
// line: "valid" when the stub would accept the package, else "invalid: " and
// the reason. Returns whether it is valid. Throws pack_error when the file
// cannot be opened.
bool list_package(const std::string& path, std::ostream& out);
