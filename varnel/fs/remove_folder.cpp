#include "varnel/fs/remove_folder.hpp"

#include "platform/win32.hpp"

namespace varnel::fs {

namespace {

bool ends_with_separator(const std::string& path) {
    return !path.empty() && (path.back() == '\\' || path.back() == '/');
}

bool is_folder(const WIN32_FIND_DATAA& entry) {
    return (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool is_link(const WIN32_FIND_DATAA& entry) {
    return (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

// A directory search handle, closed with FindClose.
class directory_search {
  public:
    directory_search(const std::string& pattern, WIN32_FIND_DATAA& entry)
        : handle_(FindFirstFileA(pattern.c_str(), &entry)) {}
    directory_search(const directory_search&) = delete;
    directory_search& operator=(const directory_search&) = delete;
    ~directory_search() {
        if (found()) {
            FindClose(handle_);
        }
    }

    bool found() const { return handle_ != INVALID_HANDLE_VALUE; }
    bool next(WIN32_FIND_DATAA& entry) { return FindNextFileA(handle_, &entry) != FALSE; }

  private:
    HANDLE handle_;
};

// Whether the path names a link itself; a path that cannot be examined is not
// taken for one.
bool names_link(const std::string& path) {
    WIN32_FIND_DATAA entry{};
    const directory_search search(path, entry);
    return search.found() && is_link(entry);
}

void remove_entry(const std::string& dir, const WIN32_FIND_DATAA& entry);

bool remove_folder_contents_and_self(const std::string& dir) {
    WIN32_FIND_DATAA entry{};
    {
        directory_search search(dir + "*", entry);
        if (!search.found()) {
            return false;
        }
        do {
            remove_entry(dir, entry);
        } while (search.next(entry));
    }
    return RemoveDirectoryA(dir.c_str()) != FALSE;
}

// Failures inside the folder are not reported one by one: what stays behind
// shows in the result for the top folder.
void remove_entry(const std::string& dir, const WIN32_FIND_DATAA& entry) {
    const std::string path = dir + entry.cFileName;
    if (!is_folder(entry)) {
        DeleteFileA(path.c_str());
        return;
    }
    // Folders whose names begin with a full stop stay, "." and ".." among them.
    if (entry.cFileName[0] == '.') {
        return;
    }
    if (is_link(entry)) {
        RemoveDirectoryA(path.c_str());
        return;
    }
    remove_folder_contents_and_self(path + "\\");
}

}  // namespace

bool remove_folder(const std::string& path) {
    const std::string bare = ends_with_separator(path) ? path.substr(0, path.size() - 1) : path;
    if (names_link(bare)) {
        return RemoveDirectoryA(bare.c_str()) != FALSE;
    }
    const std::string dir = ends_with_separator(path) ? path : path + "\\";
    return remove_folder_contents_and_self(dir);
}

}  // namespace varnel::fs
