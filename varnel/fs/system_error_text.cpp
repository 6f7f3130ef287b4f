#include "varnel/fs/system_error_text.hpp"

#include "platform/win32.hpp"

namespace varnel {

namespace {

// Owns the buffer FormatMessageA allocates.
class local_buffer {
  public:
    local_buffer() = default;
    local_buffer(const local_buffer&) = delete;
    local_buffer& operator=(const local_buffer&) = delete;
    ~local_buffer() { LocalFree(text_); }

    LPSTR* address() { return &text_; }
    const char* text() const { return text_; }

  private:
    LPSTR text_ = nullptr;
};

constexpr DWORD user_default_language = 0x400;

}  // namespace

std::string system_error_text(std::uint32_t code) {
    local_buffer buffer;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM,
        nullptr, code, user_default_language, reinterpret_cast<LPSTR>(buffer.address()), 0,
        nullptr);
    if (length == 0) {
        return {};
    }
    std::string text(buffer.text(), length);
    // System messages end with CR LF; a text without it is kept whole.
    if (text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0) {
        text.resize(text.size() - 2);
    }
    return text;
}

}  // namespace varnel
