// Matches the expected texts of the scenario table, with their placeholders
// (see scenario.hpp), against what a run produced.
#pragma once

#include <string>

namespace e2e {

struct run_paths {
    std::string temp;  // the temporary folder without its trailing backslash
    std::string stub;  // the packed stub
};

bool matches(const std::string& pattern, const std::string& actual, const run_paths& paths);

}  // namespace e2e
