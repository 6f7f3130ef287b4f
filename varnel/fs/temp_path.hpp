#pragma once

#include <string>

namespace varnel::fs {

// The user's temporary folder as the system gives it, ending with a backslash,
// or the empty string when the system cannot say (or the path would not fit in
// MAX_PATH characters).
std::string temp_path();

}  // namespace varnel::fs
