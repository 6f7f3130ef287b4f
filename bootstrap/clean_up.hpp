#pragma once

#include <string>

// Steps out of the work folder into its parent and removes it with everything
// the package put there. What cannot be removed stays behind silently.
void clean_up_run(const std::string& work_folder);
