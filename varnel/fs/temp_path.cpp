#include "varnel/fs/temp_path.hpp"

#include "platform/win32.hpp"

namespace varnel::fs {

std::string temp_path() {
    char buffer[MAX_PATH];
    const DWORD length = GetTempPathA(MAX_PATH, buffer);
    // 0 is failure; a length beyond the buffer is the size the path would need,
    // and the buffer was left unfilled.
    if (length == 0 || length > MAX_PATH) {
        return {};
    }
    return std::string(buffer, length);
}

}  // namespace varnel::fs
