// The live handles of the process. Every handle the layer hands out names an
// entry here, so a bad or closed handle is recognised and fails with
// ERROR_INVALID_HANDLE instead of touching freed memory. Handle values are
// multiples of 4, as on Windows, and are never reused.
#pragma once

#include <functional>
#include <memory>

#include "platform/posix/win32_api.hpp"

namespace win32_posix {

// What a handle refers to.
class handle_object {
  public:
    handle_object() = default;
    handle_object(const handle_object&) = delete;
    handle_object& operator=(const handle_object&) = delete;
    virtual ~handle_object() = default;
};

// A handle that CloseHandle closes (files, processes); a search handle is not
// one: FindClose closes it.
class kernel_object : public handle_object {};

// A kernel object that WaitForSingleObject waits for.
class waitable_object : public kernel_object {
  public:
    // WAIT_OBJECT_0 once signalled, WAIT_TIMEOUT when milliseconds (or
    // INFINITE) passed first, WAIT_FAILED with the last error set.
    virtual DWORD wait(DWORD milliseconds) = 0;
};

// Adds the object and returns its new handle.
HANDLE insert_handle(std::shared_ptr<handle_object> object);

// The live object behind handle, or nullptr.
std::shared_ptr<handle_object> find_handle_object(HANDLE handle);

// Removes handle when it is live and its object passes accepts; returns
// whether it did. The object goes when its last user lets go of it.
bool erase_handle_if(HANDLE handle, const std::function<bool(const handle_object&)>& accepts);

// The live object behind handle when it is a T, else nullptr.
template <typename T>
std::shared_ptr<T> find_handle(HANDLE handle) {
    return std::dynamic_pointer_cast<T>(find_handle_object(handle));
}

// Removes handle when it is live and names a T.
template <typename T>
bool erase_handle(HANDLE handle) {
    return erase_handle_if(handle, [](const handle_object& object) {
        return dynamic_cast<const T*>(&object) != nullptr;
    });
}

}  // namespace win32_posix
