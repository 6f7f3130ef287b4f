// The command line of stubra-pack; --help tells it all.
#pragma once

#include <ostream>
#include <string>
#include <vector>

// Exit status of a run of stubra-pack.
enum pack_status : int { pack_success = 0, pack_failure = 1, pack_usage_error = 2 };

// Runs stubra-pack with the arguments after the program name; results go to
// out, messages to err.
int pack_main(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);
