#pragma once

#include "platform/win32.hpp"

// A file handle from CreateFileA, closed when the object goes.
class file_handle {
  public:
    explicit file_handle(HANDLE handle) : handle_(handle) {}
    file_handle(const file_handle&) = delete;
    file_handle& operator=(const file_handle&) = delete;
    ~file_handle() {
        // A destructor has no one to tell of a failed close; callers that
        // need to know call close() first.
        if (is_open()) {
            CloseHandle(handle_);
        }
    }

    bool is_open() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return handle_; }

    // Closes the handle now; false when CloseHandle reports a failure.
    bool close() {
        const HANDLE handle = handle_;
        handle_ = INVALID_HANDLE_VALUE;
        return CloseHandle(handle) != FALSE;
    }

  private:
    HANDLE handle_;
};
