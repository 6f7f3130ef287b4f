#include "package/expand_values.hpp"

#include <algorithm>
#include <vector>

namespace {

// One call of expand_values: the values being expanded, innermost last, and
// the number of references replaced so far.
class expansion {
  public:
    explicit expansion(const value_map& values) : values_(values) {}

    std::string expand(const std::string& text) {
        std::string r = text;
        std::size_t pos = r.find('%');
        if (pos == std::string::npos) {
            return r;
        }
        for (;;) {
            const std::size_t start = r.find_first_not_of('%', pos);
            if (start == std::string::npos) {
                return r;
            }
            const std::size_t end = r.find('%', start);
            if (end == std::string::npos) {
                return r;
            }
            const std::string* value = expandable_value(r.substr(start, end - start));
            if (value != nullptr) {
                // The character before the name goes with it: the name's last
                // opening '%', or whatever the resumed scan found there.
                r.replace(start - 1, end - start + 2, expand_value(*value));
            }
            // Where the closing '%' stood before the replacement, so the
            // scan may resume inside the inserted value.
            pos = end;
        }
    }

  private:
    // The stored value of name, or nullptr when its reference stays as it
    // stands: the name is unknown, its value is already being expanded, or the
    // replacements are used up.
    const std::string* expandable_value(const std::string& name) const {
        const std::string* value = values_.find(name);
        if (value == nullptr || replaced_ == max_expanded_references) {
            return nullptr;
        }
        const bool in_progress =
            std::find(in_progress_.begin(), in_progress_.end(), value) != in_progress_.end();
        return in_progress ? nullptr : value;
    }

    std::string expand_value(const std::string& value) {
        ++replaced_;
        in_progress_.push_back(&value);
        std::string expanded = expand(value);
        in_progress_.pop_back();
        return expanded;
    }

    const value_map& values_;
    // Each key has one stored value, so its address names the key.
    std::vector<const std::string*> in_progress_;
    std::size_t replaced_ = 0;
};

}  // namespace

std::string expand_values(const std::string& text, const value_map& values) {
    return expansion(values).expand(text);
}
