// Message boxes as the runs report them: the POSIX build's MessageBoxA writes
// each one to standard error, and the Windows harness prints each dialog it
// pressed to standard output, both in one form:
//     "MessageBoxA: caption <N> bytes, text <M> bytes\n" <caption> "\n" <text> "\n"
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace e2e {

struct message_box {
    std::string caption;
    std::string text;

    bool operator==(const message_box& other) const {
        return caption == other.caption && text == other.text;
    }
};

std::ostream& operator<<(std::ostream& out, const message_box& box);

// The message boxes found in a run's output, in order; lines of other output
// between them are passed over. A truncated record ends the list.
std::vector<message_box> parse_message_boxes(const std::string& output);

}  // namespace e2e
