#include "tests/e2e/message_boxes.hpp"

#include <cstdio>

namespace e2e {

namespace {

constexpr const char* header_start = "MessageBoxA: caption ";

// Reads "<N> bytes, text <M> bytes\n" at pos; advances pos past the line.
bool read_sizes(const std::string& output, std::size_t& pos, std::size_t& caption_size,
                std::size_t& text_size) {
    const std::size_t line_end = output.find('\n', pos);
    if (line_end == std::string::npos) {
        return false;
    }
    const std::string line = output.substr(pos, line_end - pos);
    unsigned long caption = 0;
    unsigned long text = 0;
    char tail = 0;
    if (std::sscanf(line.c_str(), "%lu bytes, text %lu bytes%c", &caption, &text, &tail) != 2) {
        return false;
    }
    caption_size = caption;
    text_size = text;
    pos = line_end + 1;
    return true;
}

// Reads size bytes and the line feed behind them.
bool read_field(const std::string& output, std::size_t& pos, std::size_t size, std::string& field) {
    if (pos + size >= output.size() || output[pos + size] != '\n') {
        return false;
    }
    field = output.substr(pos, size);
    pos += size + 1;
    return true;
}

}  // namespace

std::ostream& operator<<(std::ostream& out, const message_box& box) {
    auto escaped = [](const std::string& text) {
        std::string result;
        for (const char c : text) {
            result += c == '\r'   ? std::string("\\r")
                      : c == '\n' ? std::string("\\n")
                                  : std::string(1, c);
        }
        return result;
    };
    return out << "{caption \"" << escaped(box.caption) << "\", text \"" << escaped(box.text)
               << "\"}";
}

std::vector<message_box> parse_message_boxes(const std::string& output) {
    std::vector<message_box> boxes;
    const std::string start = header_start;
    std::size_t pos = 0;
    while ((pos = output.find(start, pos)) != std::string::npos) {
        if (pos != 0 && output[pos - 1] != '\n') {
            pos += start.size();
            continue;
        }
        pos += start.size();
        std::size_t caption_size = 0;
        std::size_t text_size = 0;
        message_box box;
        if (!read_sizes(output, pos, caption_size, text_size) ||
            !read_field(output, pos, caption_size, box.caption) ||
            !read_field(output, pos, text_size, box.text)) {
            break;
        }
        boxes.push_back(box);
    }
    return boxes;
}

}  // namespace e2e
