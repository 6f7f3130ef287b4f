// Searching folders: FindFirstFileA, FindNextFileA and FindClose.
//
// A search takes its entries when it starts: a pattern whose last component
// holds "*" or "?" lists the matching entries of its folder, "." and ".."
// first as Windows gives them for any folder but the root, then the others by
// byte value of their names; a pattern without wildcards gives the entry at
// that path itself. Entries are examined without following links.
#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/posix/file_modes.hpp"
#include "platform/posix/handle_table.hpp"
#include "platform/posix/last_error.hpp"
#include "platform/posix/paths.hpp"
#include "platform/posix/win32_api.hpp"

namespace win32_posix {

namespace {

// The reparse tag Windows reports in dwReserved0 for a symbolic link.
constexpr DWORD symbolic_link_reparse_tag = 0xA000000C;

class search_object final : public handle_object {
  public:
    explicit search_object(std::vector<WIN32_FIND_DATAA> entries) : entries_(std::move(entries)) {}

    bool next(WIN32_FIND_DATAA& entry) {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (next_ == entries_.size()) {
            return false;
        }
        entry = entries_[next_++];
        return true;
    }

  private:
    std::mutex mutex_;
    std::vector<WIN32_FIND_DATAA> entries_;
    std::size_t next_ = 0;
};

struct search_pattern {
    std::string folder;
    std::string name;
};

search_pattern split_pattern(const std::string& pattern) {
    const std::size_t slash = pattern.rfind('/');
    if (slash == std::string::npos) {
        return {".", pattern};
    }
    return {slash == 0 ? "/" : pattern.substr(0, slash), pattern.substr(slash + 1)};
}

bool has_wildcards(const std::string& text) {
    return text.find_first_of("*?") != std::string::npos;
}

bool same_letter(char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) ==
           std::tolower(static_cast<unsigned char>(b));
}

// "*" matches any run of characters, "?" any one; letters match either case,
// as Windows names do. After a mismatch the last "*" takes one more
// character, so the match costs at most pattern times name steps.
bool matches(const std::string& pattern, const std::string& name) {
    constexpr std::size_t none = std::string::npos;
    std::size_t p = 0;
    std::size_t n = 0;
    std::size_t star = none;
    std::size_t star_name = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            star_name = n;
        } else if (p < pattern.size() && (pattern[p] == '?' || same_letter(pattern[p], name[n]))) {
            ++p;
            ++n;
        } else if (star != none) {
            p = star + 1;
            n = ++star_name;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') {
        ++p;
    }
    return p == pattern.size();
}

// "*.*" keeps its old meaning of every name, with or without a dot.
bool name_matches(const std::string& pattern, const std::string& name) {
    return pattern == "*.*" || matches(pattern, name);
}

DWORD attributes_of(const std::string& path, const struct stat& entry) {
    DWORD attributes = 0;
    if (S_ISLNK(entry.st_mode)) {
        struct stat target {};
        const bool to_folder = ::stat(path.c_str(), &target) == 0 && S_ISDIR(target.st_mode);
        attributes |= FILE_ATTRIBUTE_REPARSE_POINT | (to_folder ? FILE_ATTRIBUTE_DIRECTORY : 0);
    } else {
        attributes |= S_ISDIR(entry.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : 0;
        attributes |= is_read_only(entry.st_mode) ? FILE_ATTRIBUTE_READONLY : 0;
    }
    return attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes;
}

// 100-nanosecond intervals since 1601-01-01 UTC.
FILETIME to_file_time(const struct timespec& time) {
    constexpr std::int64_t seconds_from_1601_to_1970 = 11644473600;
    const std::int64_t ticks =
        (time.tv_sec + seconds_from_1601_to_1970) * 10000000 + time.tv_nsec / 100;
    const auto bits = static_cast<std::uint64_t>(ticks);
    return {static_cast<DWORD>(bits & 0xFFFFFFFF), static_cast<DWORD>(bits >> 32)};
}

// The entry at path under the given name, or nothing when it is gone or its
// name does not fit.
std::optional<WIN32_FIND_DATAA> describe_entry(const std::string& path, const std::string& name) {
    if (name.size() >= MAX_PATH) {
        errno = ENAMETOOLONG;
        return std::nullopt;
    }
    struct stat entry {};
    if (::lstat(path.c_str(), &entry) != 0) {
        return std::nullopt;
    }
    WIN32_FIND_DATAA data{};
    data.dwFileAttributes = attributes_of(path, entry);
    // POSIX keeps no creation time; the last change of the entry's status
    // stands in for it.
    data.ftCreationTime = to_file_time(entry.st_ctim);
    data.ftLastAccessTime = to_file_time(entry.st_atim);
    data.ftLastWriteTime = to_file_time(entry.st_mtim);
    const auto size = S_ISREG(entry.st_mode) ? static_cast<std::uint64_t>(entry.st_size) : 0;
    data.nFileSizeHigh = static_cast<DWORD>(size >> 32);
    data.nFileSizeLow = static_cast<DWORD>(size & 0xFFFFFFFF);
    data.dwReserved0 = S_ISLNK(entry.st_mode) ? symbolic_link_reparse_tag : 0;
    std::memcpy(data.cFileName, name.c_str(), name.size() + 1);
    return data;
}

struct folder_stream_closer {
    void operator()(DIR* stream) const { ::closedir(stream); }
};

// The names in folder, "." and ".." first (except in the root), then the
// others by byte value; nothing when the folder cannot be read.
std::optional<std::vector<std::string>> folder_names(const std::string& folder) {
    const std::unique_ptr<DIR, folder_stream_closer> stream(::opendir(folder.c_str()));
    if (stream == nullptr) {
        return std::nullopt;
    }
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(stream.get())) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") {
            names.push_back(name);
        }
    }
    std::sort(names.begin(), names.end());
    if (folder != "/") {
        names.insert(names.begin(), {".", ".."});
    }
    return names;
}

struct search_result {
    std::vector<WIN32_FIND_DATAA> entries;
    DWORD error = ERROR_SUCCESS;
};

search_result list_folder(const search_pattern& pattern) {
    const auto names = folder_names(pattern.folder);
    if (!names) {
        return {{}, errno == EACCES ? ERROR_ACCESS_DENIED : ERROR_PATH_NOT_FOUND};
    }
    search_result result;
    for (const std::string& name : *names) {
        if (name_matches(pattern.name, name)) {
            if (auto entry = describe_entry(pattern.folder + "/" + name, name)) {
                result.entries.push_back(*entry);
            }
        }
    }
    if (result.entries.empty()) {
        result.error = ERROR_FILE_NOT_FOUND;
    }
    return result;
}

search_result find_entry(const std::string& path, const search_pattern& pattern) {
    if (pattern.name.empty()) {
        return {{}, ERROR_FILE_NOT_FOUND};
    }
    auto entry = describe_entry(path, pattern.name);
    if (!entry) {
        return {{}, path_error(path, errno)};
    }
    return {{*entry}, ERROR_SUCCESS};
}

search_result search(const std::string& path) {
    const search_pattern pattern = split_pattern(path);
    if (has_wildcards(pattern.folder)) {
        return {{}, ERROR_INVALID_NAME};
    }
    return has_wildcards(pattern.name) ? list_folder(pattern) : find_entry(path, pattern);
}

}  // namespace

}  // namespace win32_posix

HANDLE WINAPI FindFirstFileA(LPCSTR lpFileName, LPWIN32_FIND_DATAA lpFindFileData) {
    using namespace win32_posix;
    if (lpFindFileData == nullptr) {
        return fail(ERROR_INVALID_PARAMETER, INVALID_HANDLE_VALUE);
    }
    search_result result = search(to_posix_path(lpFileName));
    if (result.entries.empty()) {
        return fail(result.error, INVALID_HANDLE_VALUE);
    }
    auto search = std::make_shared<search_object>(std::move(result.entries));
    search->next(*lpFindFileData);
    return insert_handle(std::move(search));
}

BOOL WINAPI FindNextFileA(HANDLE hFindFile, LPWIN32_FIND_DATAA lpFindFileData) {
    using namespace win32_posix;
    const auto search = find_handle<search_object>(hFindFile);
    if (search == nullptr) {
        return fail(ERROR_INVALID_HANDLE, FALSE);
    }
    if (lpFindFileData == nullptr) {
        return fail(ERROR_INVALID_PARAMETER, FALSE);
    }
    if (!search->next(*lpFindFileData)) {
        return fail(ERROR_NO_MORE_FILES, FALSE);
    }
    return TRUE;
}

BOOL WINAPI FindClose(HANDLE hFindFile) {
    using namespace win32_posix;
    if (!erase_handle<search_object>(hFindFile)) {
        return fail(ERROR_INVALID_HANDLE, FALSE);
    }
    return TRUE;
}
