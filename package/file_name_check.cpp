#include "package/file_name_check.hpp"

#include <algorithm>
#include <array>
#include <cctype>

namespace {

bool is_separator(char c) {
    return c == '\\' || c == '/';
}

// "..", "...", ". ." and the like: the system trims trailing dots and spaces
// from names, so each may end up naming the parent folder.
bool is_dots_and_spaces(std::string_view component) {
    return !component.empty() && component != "." &&
           std::all_of(component.begin(), component.end(),
                       [](char c) { return c == '.' || c == ' '; });
}

bool equals_ignoring_case(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) ==
                      std::toupper(static_cast<unsigned char>(y));
           });
}

// The digits that follow COM and LPT in a device name: 0 to 9 and, in the
// Western code page, the superscripts 1, 2 and 3.
bool is_port_digit(char c) {
    return std::string_view("0123456789\xB9\xB2\xB3").find(c) != std::string_view::npos;
}

// The system opens a device for these names in any folder, whatever the
// extension and trailing spaces.
bool is_device_name(std::string_view component) {
    std::string_view base = component.substr(0, component.find('.'));
    base = base.substr(0, base.find_last_not_of(' ') + 1);
    constexpr std::array<std::string_view, 6> devices = {"CON", "PRN",    "AUX",
                                                         "NUL", "CONIN$", "CONOUT$"};
    if (std::any_of(devices.begin(), devices.end(), [base](std::string_view device) {
            return equals_ignoring_case(base, device);
        })) {
        return true;
    }
    return base.size() == 4 &&
           (equals_ignoring_case(base.substr(0, 3), "COM") ||
            equals_ignoring_case(base.substr(0, 3), "LPT")) &&
           is_port_digit(base[3]);
}

}  // namespace

std::string_view file_name_refusal(const std::string& name) {
    if (name.empty()) {
        return "an empty name";
    }
    if (is_separator(name.front())) {
        return "a rooted path";
    }
    if (name.find(':') != std::string::npos) {
        return "a drive or stream colon";
    }
    const std::string_view path = name;
    for (std::size_t start = 0; start <= path.size();) {
        const std::size_t end = std::min(path.find_first_of("\\/", start), path.size());
        const std::string_view component = path.substr(start, end - start);
        if (is_dots_and_spaces(component)) {
            return "a \"..\" component";
        }
        if (is_device_name(component)) {
            return "a device name";
        }
        start = end + 1;
    }
    return {};
}
