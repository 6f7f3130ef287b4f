#include "bootstrap/work_folder.hpp"

std::string parent_folder(const std::string& work_folder) {
    std::string path = work_folder;
    if (!path.empty() && path.back() == '\\') {
        path.pop_back();
    }
    const std::size_t separator = path.rfind('\\');
    if (separator == std::string::npos) {
        return {};
    }
    path.resize(separator);
    return path;
}
