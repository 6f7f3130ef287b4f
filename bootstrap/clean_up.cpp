#include "bootstrap/clean_up.hpp"

#include "bootstrap/work_folder.hpp"
#include "platform/win32.hpp"
#include "varnel/fs/remove_folder.hpp"

void clean_up_run(const std::string& work_folder) {
    // Neither result changes the run's: a folder that cannot be left or removed
    // simply stays.
    SetCurrentDirectoryA(parent_folder(work_folder).c_str());
    varnel::fs::remove_folder(work_folder);
}
