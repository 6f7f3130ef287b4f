#include "tests/e2e/text_pattern.hpp"

#include <regex>

namespace e2e {

namespace {

std::string escaped(const std::string& text) {
    static const std::string special = R"(\^$.|?*+()[]{}-)";
    std::string result;
    for (const char c : text) {
        if (special.find(c) != std::string::npos) {
            result += '\\';
        }
        result += c;
    }
    return result;
}

std::string expression_for(const std::string& pattern, const run_paths& paths) {
    const std::string work = escaped(paths.temp + "\\ORVNT") + "-?[0-9]+";
    const std::pair<std::string, std::string> placeholders[] = {
        {"{temp}", escaped(paths.temp)},
        {"{work}", work},
        {"{stub}", escaped(paths.stub)},
        {"{any}", "[\\s\\S]*"},
    };
    std::string expression;
    std::size_t pos = 0;
    while (pos < pattern.size()) {
        bool replaced = false;
        for (const auto& [name, replacement] : placeholders) {
            if (pattern.compare(pos, name.size(), name) == 0) {
                expression += replacement;
                pos += name.size();
                replaced = true;
                break;
            }
        }
        if (!replaced) {
            expression += escaped(std::string(1, pattern[pos]));
            ++pos;
        }
    }
    return expression;
}

}  // namespace

bool matches(const std::string& pattern, const std::string& actual, const run_paths& paths) {
    return std::regex_match(actual, std::regex(expression_for(pattern, paths)));
}

}  // namespace e2e
