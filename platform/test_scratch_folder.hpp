// Scratch folders and small file helpers for the platform tests. Written
// against the platform door alone, so the tests that use them run unchanged
// against Windows itself.
#pragma once

#include <string>
#include <vector>

#include "platform/win32.hpp"

// Closes a handle when the test is done with it; INVALID_HANDLE_VALUE owns
// nothing.
class handle_guard {
  public:
    explicit handle_guard(HANDLE handle) : handle_(handle) {}
    handle_guard(const handle_guard&) = delete;
    handle_guard& operator=(const handle_guard&) = delete;
    ~handle_guard() {
        if (handle_ != INVALID_HANDLE_VALUE) {
            CloseHandle(handle_);
        }
    }
    HANDLE get() const { return handle_; }

  private:
    HANDLE handle_;
};

// A fresh folder under the temporary folder, removed with everything in it
// when the object goes (read-only files included; links are removed as links,
// never followed).
class scratch_folder {
  public:
    scratch_folder();
    scratch_folder(const scratch_folder&) = delete;
    scratch_folder& operator=(const scratch_folder&) = delete;
    ~scratch_folder();

    // The folder's path, without a trailing backslash.
    const std::string& path() const { return path_; }

    // The path of an entry in the folder.
    std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

  private:
    std::string path_;
};

// Creates or replaces the file with the given content; throws on failure.
void write_file(const std::string& path, const std::string& content);

// The whole content of the file; throws on failure.
std::string read_file(const std::string& path);

// Whether something exists at the path.
bool exists(const std::string& path);

// The names in a folder (given with its trailing backslash), sorted by byte
// value, without "." and "..".
std::vector<std::string> folder_entries(const std::string& folder);
