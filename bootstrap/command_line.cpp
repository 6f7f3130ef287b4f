#include "bootstrap/command_line.hpp"

#include <exception>
#include <optional>
#include <string_view>
#include <utility>

namespace {

constexpr std::size_t no_position = std::string::npos;

struct split_line {
    std::string rest;
    std::string forwarded;
};

// Only a to z change, so every position found in the copy cuts the original.
std::string search_copy(const std::string& text) {
    std::string copy = text;
    for (char& c : copy) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return copy;
}

// /V followed by text up to the next " /" (or the end), at position v.
split_line split_unquoted(const std::string& line, const std::string& search, std::size_t v) {
    std::size_t end = search.find(" /", v);
    if (end == no_position) {
        end = line.size();
    }
    split_line split{line, line.substr(v + 2, end - v - 2)};
    split.rest.erase(v, end - v);
    return split;
}

// The first double quote at or after from that no backslash precedes.
std::size_t closing_quote(const std::string& search, std::size_t from) {
    std::size_t quote = search.find('"', from);
    while (quote != no_position && search[quote - 1] == '\\') {
        quote = search.find('"', quote + 1);
    }
    return quote;
}

// /V"text" at position q; nothing when the value is never closed.
std::optional<split_line> split_quoted(const std::string& line, const std::string& search,
                                       std::size_t q) {
    const std::size_t z = closing_quote(search, q + 3);
    if (z == no_position) {
        return std::nullopt;
    }
    split_line split{line, line.substr(q + 3, z - q - 3)};
    split.rest.erase(q, z - q + 1);
    return split;
}

std::optional<split_line> split_option(const std::string& line) {
    const std::string search = search_copy(line);
    const std::size_t v = search.find("/V");
    if (v == no_position) {
        return std::nullopt;
    }
    const std::size_t q = search.find("/V\"");
    if (q == no_position) {
        return split_unquoted(line, search, v);
    }
    return split_quoted(line, search, q);
}

}  // namespace

std::string split_command_line(const std::string& command_line, value_map& values) noexcept {
    try {
        std::string& stored = values.subscript("commandline");
        stored = command_line;
        if (std::optional<split_line> split = split_option(command_line)) {
            stored = std::move(split->rest);
            return std::move(split->forwarded);
        }
    } catch (const std::exception&) {
        // Out of memory while splitting: the whole command line stays stored
        // as "commandline" (as far as it could be stored) and nothing is
        // forwarded.
    }
    return {};
}

std::string strip_partner_identity(std::string forwarded, const std::string& parameters) noexcept {
    constexpr std::string_view token = "USER_PARTNER_IDENTITY=";
    if (parameters.find("VIRGIN=1") != no_position) {
        return forwarded;
    }
    const std::size_t start = forwarded.find(token);
    if (start == no_position) {
        return forwarded;
    }
    const std::size_t space = forwarded.find(' ', start + token.size());
    forwarded.erase(start, space == no_position ? no_position : space - start);
    return forwarded;
}
