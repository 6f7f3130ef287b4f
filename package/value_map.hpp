// The run's named text values: the package's value records and file keys, and
// the seeds the run puts in before the package is read ("source",
// "commandline"). Keys compare byte by byte as unsigned bytes, so lookups are
// exact and case-sensitive; keys and values may be empty.
//
// Three operations, deliberately distinct so every caller shows which one it
// relies on:
//   insert_if_absent  the package extraction; an existing key keeps its value
//   subscript         the run and its steps; a missing key is added with an
//                     empty value, on a read too
//   find              the expansion; adds nothing
#pragma once

#include <map>
#include <string>

class value_map {
  public:
    // Adds key -> value unless key is present; returns whether it was added.
    bool insert_if_absent(const std::string& key, const std::string& value) {
        return values_.emplace(key, value).second;
    }

    // The value stored under key, added empty when missing.
    std::string& subscript(const std::string& key) { return values_[key]; }

    // The value stored under key, or nullptr; the map is left as it was.
    const std::string* find(const std::string& key) const {
        const auto it = values_.find(key);
        return it == values_.end() ? nullptr : &it->second;
    }

    std::size_t size() const { return values_.size(); }

    using const_iterator = std::map<std::string, std::string>::const_iterator;
    const_iterator begin() const { return values_.begin(); }
    const_iterator end() const { return values_.end(); }

  private:
    std::map<std::string, std::string> values_;
};
