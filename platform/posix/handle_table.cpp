// The handle table, and the calls that take a handle of any kind:
// CloseHandle and WaitForSingleObject.
#include "platform/posix/handle_table.hpp"

#include "platform/posix/current_process.hpp"
#include "platform/posix/last_error.hpp"

#include <cstdint>
#include <mutex>
#include <unordered_map>

namespace win32_posix {

namespace {

class handle_table {
  public:
    HANDLE insert(std::shared_ptr<handle_object> object) {
        const std::lock_guard<std::mutex> lock(mutex_);
        next_value_ += 4;
        objects_.emplace(next_value_, std::move(object));
        return to_handle(next_value_);
    }

    std::shared_ptr<handle_object> find(HANDLE handle) {
        const std::lock_guard<std::mutex> lock(mutex_);
        const auto it = objects_.find(to_value(handle));
        return it == objects_.end() ? nullptr : it->second;
    }

    bool erase_if(HANDLE handle, const std::function<bool(const handle_object&)>& accepts) {
        std::shared_ptr<handle_object> removed;
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            const auto it = objects_.find(to_value(handle));
            if (it == objects_.end() || !accepts(*it->second)) {
                return false;
            }
            removed = std::move(it->second);
            objects_.erase(it);
        }
        // The object may be destroyed here, outside the lock: closing a file
        // or a pipe must not hold up other threads' handles.
        return true;
    }

  private:
    static std::uintptr_t to_value(HANDLE handle) {
        return reinterpret_cast<std::uintptr_t>(handle);
    }
    static HANDLE to_handle(std::uintptr_t value) { return reinterpret_cast<HANDLE>(value); }

    std::mutex mutex_;
    std::uintptr_t next_value_ = 0;
    std::unordered_map<std::uintptr_t, std::shared_ptr<handle_object>> objects_;
};

// Never destroyed: objects that outlive main (a process-wide log, say) may
// still close their handles while static objects are torn down.
handle_table& table() {
    static handle_table* const instance = new handle_table;
    return *instance;
}

}  // namespace

HANDLE insert_handle(std::shared_ptr<handle_object> object) {
    return table().insert(std::move(object));
}

std::shared_ptr<handle_object> find_handle_object(HANDLE handle) {
    return table().find(handle);
}

bool erase_handle_if(HANDLE handle, const std::function<bool(const handle_object&)>& accepts) {
    return table().erase_if(handle, accepts);
}

}  // namespace win32_posix

BOOL WINAPI CloseHandle(HANDLE hObject) {
    using namespace win32_posix;
    if (hObject == current_process_handle) {
        return TRUE;
    }
    if (!erase_handle<kernel_object>(hObject)) {
        return fail(ERROR_INVALID_HANDLE, FALSE);
    }
    return TRUE;
}

DWORD WINAPI WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds) {
    using namespace win32_posix;
    const auto object = find_handle<waitable_object>(hHandle);
    if (object == nullptr) {
        return fail(ERROR_INVALID_HANDLE, WAIT_FAILED);
    }
    return object->wait(dwMilliseconds);
}
