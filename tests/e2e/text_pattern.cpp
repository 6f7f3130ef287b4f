#include "tests/e2e/text_pattern.hpp"

#include <cctype>

namespace e2e {

namespace {

bool starts_with(const std::string& text, std::size_t pos, const std::string& prefix) {
    return text.compare(pos, prefix.size(), prefix) == 0;
}

// The matcher: pattern from p against actual from a, trying every length a
// placeholder of variable length can take.
class matcher {
  public:
    matcher(const std::string& pattern, const std::string& actual, const run_paths& paths)
        : pattern_(pattern), actual_(actual), paths_(paths) {}

    bool from(std::size_t p, std::size_t a) const {
        if (p == pattern_.size()) {
            return a == actual_.size();
        }
        if (starts_with(pattern_, p, "{any}")) {
            for (std::size_t end = a; end <= actual_.size(); ++end) {
                if (from(p + 5, end)) {
                    return true;
                }
            }
            return false;
        }
        if (starts_with(pattern_, p, "{work}")) {
            return work_folder_from(p + 6, a);
        }
        for (const auto& [name, value] :
             {std::pair<std::string, const std::string&>{"{temp}", paths_.temp},
              {"{stub}", paths_.stub}}) {
            if (starts_with(pattern_, p, name)) {
                return starts_with(actual_, a, value) && from(p + name.size(), a + value.size());
            }
        }
        return a < actual_.size() && pattern_[p] == actual_[a] && from(p + 1, a + 1);
    }

  private:
    // The temporary folder, "\ORVNT" and the start time: a number, perhaps negative.
    bool work_folder_from(std::size_t p, std::size_t a) const {
        const std::string prefix = paths_.temp + "\\ORVNT";
        if (!starts_with(actual_, a, prefix)) {
            return false;
        }
        std::size_t digits = a + prefix.size();
        if (digits < actual_.size() && actual_[digits] == '-') {
            ++digits;
        }
        std::size_t end = digits;
        while (end < actual_.size() && std::isdigit(static_cast<unsigned char>(actual_[end]))) {
            ++end;
            if (from(p, end)) {
                return true;
            }
        }
        return false;
    }

    const std::string& pattern_;
    const std::string& actual_;
    const run_paths& paths_;
};

}  // namespace

bool matches(const std::string& pattern, const std::string& actual, const run_paths& paths) {
    return matcher(pattern, actual, paths).from(0, 0);
}

}  // namespace e2e
