#include "package/expand_values.hpp"

#include <gtest/gtest.h>

#include <map>
#include <ostream>
#include <string>

namespace {

using value_list = std::map<std::string, std::string>;

value_map map_of(const value_list& list) {
    value_map values;
    for (const auto& [key, value] : list) {
        values.insert_if_absent(key, value);
    }
    return values;
}

value_list contents(const value_map& values) {
    return value_list(values.begin(), values.end());
}

struct expansion_case {
    const char* text;
    value_list values;
    const char* expected;
};

void PrintTo(const expansion_case& c, std::ostream* os) {
    *os << '"' << c.text << "\" with";
    for (const auto& [key, value] : c.values) {
        *os << ' ' << key << "=\"" << value << '"';
    }
}

class expand_values_table : public testing::TestWithParam<expansion_case> {};

TEST_P(expand_values_table, expands_the_references_of_the_text) {
    const expansion_case& c = GetParam();
    EXPECT_EQ(expand_values(c.text, map_of(c.values)), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    cases, expand_values_table,
    testing::Values(
        // The worked results.
        expansion_case{"%a%", {{"a", "X"}}, "X"}, expansion_case{"%a%", {{"a", ""}}, ""},
        expansion_case{"%a%b%", {{"b", "Y"}}, "%aY"},
        expansion_case{"%a%x%b%", {{"x", "Q"}}, "%aQb%"},
        expansion_case{"%a% %b%", {{"b", "2"}}, "%a% 2"},
        expansion_case{"%%a%", {{"a", "V"}}, "%V"}, expansion_case{"%%a%%", {{"a", "V"}}, "%V%"},
        expansion_case{"50%", {}, "50%"}, expansion_case{"%A%", {{"a", "v"}}, "%A%"},
        expansion_case{"%x%", {{"x", "%y%"}, {"y", "%z%"}, {"z", "Z"}}, "Z"},
        expansion_case{"%a%%b%", {{"a", "1"}, {"b", "2"}}, "12"},
        expansion_case{"%a%%b%", {{"a", ""}, {"b", "2"}}, "%b%"},
        expansion_case{"%a%bc%", {{"a", "12345"}, {"345bc", "Z"}}, "1Z"},
        // Texts the scan leaves alone.
        expansion_case{"", {{"a", "X"}}, ""},
        expansion_case{"no references", {{"a", "X"}}, "no references"},
        expansion_case{"%%%", {{"a", "X"}}, "%%%"}, expansion_case{"a%%", {{"a", "X"}}, "a%%"},
        expansion_case{"%%", {{"", "empty key"}}, "%%"}, expansion_case{"x%a", {{"a", "X"}}, "x%a"},
        expansion_case{"%a%x%a", {{"a", "A"}}, "Ax%a"},
        // Names: exact bytes, spaces included.
        expansion_case{"%a b%", {{"a b", "1"}}, "1"},
        expansion_case{
            "%source%\\setup.exe", {{"source", "C:\\T\\ORVNT1"}}, "C:\\T\\ORVNT1\\setup.exe"},
        // Values with '%' but no reference to a defined name go in unchanged.
        expansion_case{"%a%", {{"a", "50% off"}}, "50% off"},
        expansion_case{"%a%", {{"a", "%q%"}}, "%q%"},
        // Values that refer to themselves: the inner reference stays.
        expansion_case{"%a%", {{"a", "%a%"}}, "%a%"},
        expansion_case{"%a%", {{"a", "%a%x"}}, "%a%x"},
        expansion_case{"%a%", {{"a", "%b%"}, {"b", "%a%"}}, "%a%"},
        expansion_case{"%b%", {{"a", "%b%"}, {"b", "%a%"}}, "%b%"},
        expansion_case{"%a%", {{"a", "%b%)"}, {"b", "%c%]"}, {"c", "%a%!"}}, "%a%!])"},
        // Each reference is expanded afresh.
        expansion_case{"%a%", {{"a", "%b%%b%"}, {"b", "B"}}, "BB"}));

// A chain of values, each referring to the next, and the text referring to
// the first: expanding it replaces `links` references.
value_map chain_of(std::size_t links) {
    value_map values;
    for (std::size_t i = 0; i + 1 < links; ++i) {
        values.insert_if_absent("v" + std::to_string(i), "%v" + std::to_string(i + 1) + "%");
    }
    values.insert_if_absent("v" + std::to_string(links - 1), "end");
    return values;
}

TEST(expand_values, expands_a_chain_as_long_as_the_bound) {
    EXPECT_EQ(expand_values("%v0%", chain_of(max_expanded_references)), "end");
}

TEST(expand_values, leaves_the_reference_beyond_the_bound_as_it_stands) {
    const std::string last = "%v" + std::to_string(max_expanded_references) + "%";
    EXPECT_EQ(expand_values("%v0%", chain_of(max_expanded_references + 1)), last);
}

// Inserted, "x%a%" puts a reference to a where the scan resumes, and each
// replacement does so again: only the bound ends it.
TEST(expand_values, bounds_a_value_that_re_forms_its_own_reference) {
    const value_map values = map_of({{"a", "x%a%"}});
    EXPECT_EQ(expand_values("[%a%]", values),
              "[" + std::string(max_expanded_references, 'x') + "%a%]");
}

TEST(expand_values, bounds_each_call_on_its_own) {
    const value_map values = chain_of(max_expanded_references);
    EXPECT_EQ(expand_values("%v0%", values), "end");
    EXPECT_EQ(expand_values("%v0%", values), "end");
}

TEST(expand_values, leaves_the_map_as_it_was) {
    const value_list before = {{"a", "%b%%missing%"}, {"b", "%a%"}, {"c", ""}};
    const value_map values = map_of(before);
    expand_values("%a% %unknown% %c%", values);
    EXPECT_EQ(contents(values), before);
}

}  // namespace
