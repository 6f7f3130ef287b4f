#pragma once

#include "platform/win32.hpp"

namespace varnel {

// A handle the system gave out (a file from CreateFileA, a process from
// ShellExecuteExA), closed with CloseHandle when the object goes. Null and
// INVALID_HANDLE_VALUE, the two ways calls report that they gave none, own
// nothing.
class handle {
  public:
    explicit handle(HANDLE owned) : handle_(owned) {}
    handle(const handle&) = delete;
    handle& operator=(const handle&) = delete;
    ~handle() {
        // A destructor has no one to tell of a failed close; callers that
        // need to know call close() first.
        if (is_open()) {
            CloseHandle(handle_);
        }
    }

    bool is_open() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
    HANDLE get() const { return handle_; }

    // Closes the handle now; false when CloseHandle reports a failure.
    bool close() {
        const HANDLE owned = handle_;
        handle_ = INVALID_HANDLE_VALUE;
        return CloseHandle(owned) != FALSE;
    }

  private:
    HANDLE handle_;
};

}  // namespace varnel
