#include "platform/test_scratch_folder.hpp"

#include <algorithm>
#include <random>
#include <stdexcept>
#include <vector>

#include "platform/win32.hpp"

namespace {

std::runtime_error failure(const std::string& call, const std::string& path) {
    return std::runtime_error(call + " failed for \"" + path + "\" with error " +
                              std::to_string(GetLastError()));
}

std::string temp_folder() {
    char buffer[MAX_PATH];
    const DWORD length = GetTempPathA(MAX_PATH, buffer);
    if (length == 0 || length > MAX_PATH) {
        throw failure("GetTempPathA", "");
    }
    return std::string(buffer, length);
}

std::string random_name() {
    std::random_device source;
    std::uniform_int_distribution<unsigned long> digits(0, 0xFFFFFFFFul);
    return "stubra-platform-test-" + std::to_string(digits(source));
}

bool is_dot_entry(const std::string& name) {
    return name == "." || name == "..";
}

void remove_tree(const std::string& folder);

void remove_entry(const std::string& path, DWORD attributes) {
    const bool is_folder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    const bool is_link = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    if (is_folder && !is_link) {
        remove_tree(path);
    } else if (is_folder) {
        RemoveDirectoryA(path.c_str());
    } else {
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path.c_str());
    }
}

// Clean-up after a test: what cannot be removed is left behind rather than
// turned into a second failure of a test that may already have failed.
void remove_tree(const std::string& folder) {
    std::vector<std::pair<std::string, DWORD>> entries;
    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &data);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (!is_dot_entry(data.cFileName)) {
                entries.emplace_back(data.cFileName, data.dwFileAttributes);
            }
        } while (FindNextFileA(search, &data));
        FindClose(search);
    }
    for (const auto& [name, attributes] : entries) {
        remove_entry(folder + "\\" + name, attributes);
    }
    RemoveDirectoryA(folder.c_str());
}

}  // namespace

scratch_folder::scratch_folder() {
    const std::string base = temp_folder();
    for (int attempt = 0; attempt < 10; ++attempt) {
        const std::string candidate = base + random_name();
        if (CreateDirectoryA(candidate.c_str(), nullptr)) {
            path_ = candidate;
            return;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS) {
            throw failure("CreateDirectoryA", candidate);
        }
    }
    throw std::runtime_error("no free scratch folder name under " + base);
}

scratch_folder::~scratch_folder() {
    remove_tree(path_);
}

void write_file(const std::string& path, const std::string& content) {
    const handle_guard file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) {
        throw failure("CreateFileA", path);
    }
    DWORD written = 0;
    if (!WriteFile(file.get(), content.data(), static_cast<DWORD>(content.size()), &written,
                   nullptr) ||
        written != content.size()) {
        throw failure("WriteFile", path);
    }
}

std::string read_file(const std::string& path) {
    const handle_guard file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) {
        throw failure("CreateFileA", path);
    }
    std::string content;
    char buffer[4096];
    DWORD count = 0;
    do {
        if (!ReadFile(file.get(), buffer, sizeof buffer, &count, nullptr)) {
            throw failure("ReadFile", path);
        }
        content.append(buffer, count);
    } while (count > 0);
    return content;
}

bool exists(const std::string& path) {
    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA(path.c_str(), &data);
    if (search == INVALID_HANDLE_VALUE) {
        return false;
    }
    FindClose(search);
    return true;
}

std::vector<std::string> folder_entries(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA entry{};
    const HANDLE search = FindFirstFileA((folder + "*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) {
        return names;
    }
    do {
        const std::string name = entry.cFileName;
        if (name != "." && name != "..") {
            names.push_back(name);
        }
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    // std::string compares its characters as unsigned bytes.
    std::sort(names.begin(), names.end());
    return names;
}
