#include "bootstrap/command_line.hpp"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace {

struct split_case {
    const char* command_line;
    const char* commandline;
    const char* forwarded;
};

void PrintTo(const split_case& c, std::ostream* os) {
    *os << '"' << c.command_line << '"';
}

class split_command_line_table : public testing::TestWithParam<split_case> {};

TEST_P(split_command_line_table, stores_the_rest_and_returns_the_v_value) {
    const split_case& c = GetParam();
    value_map values;
    const std::string forwarded = split_command_line(c.command_line, values);
    EXPECT_EQ(forwarded, c.forwarded);
    EXPECT_EQ(values.subscript("commandline"), c.commandline);
}

INSTANTIATE_TEST_SUITE_P(
    cases, split_command_line_table,
    testing::Values(
        // No /V option: all of it is "commandline".
        split_case{"", "", ""}, split_case{"/S /qn", "/S /qn", ""},
        // Unquoted: the value runs up to the next " /", found at or after /V.
        split_case{"/S /Vx=1 /L1031", "/S  /L1031", "x=1"},
        split_case{"/a /b /Vx /c", "/a /b  /c", "x"}, split_case{"/Vx=1", "", "x=1"},
        split_case{"/S /V", "/S ", ""}, split_case{"/S \"C:\\a b\" /V", "/S \"C:\\a b\" ", ""},
        split_case{"/S /V /qn", "/S  /qn", ""},
        split_case{"/S /Va b=\"c /qn\"", "/S  /qn\"", "a b=\"c"},
        split_case{"/S/Vx=1", "/S", "x=1"}, split_case{"/Vx /Vy", " /Vy", "x"},
        // The search ignores case; the pieces keep it.
        split_case{"/s /vMixed=Case /L", "/s  /L", "Mixed=Case"},
        split_case{"/s /v\"Mixed=Case\" /L", "/s  /L", "Mixed=Case"},
        // Quoted: the value ends at the first quote without a backslash in
        // front, and keeps its escapes.
        split_case{"/S /V\"A=\\\"b c\\\" D=1\" /qn", "/S  /qn", "A=\\\"b c\\\" D=1"},
        split_case{"/V\"A=1\"", "", "A=1"}, split_case{"/V\"\"", "", ""},
        split_case{"/V\"a\"b /qn", "b /qn", "a"}, split_case{"/V\"a /b\" /c", " /c", "a /b"},
        split_case{"/V\"a\\\\\" b\"", "", "a\\\\\" b"},
        // The quoted form wins wherever it stands.
        split_case{"/Vx /V\"y\" /qn", "/Vx  /qn", "y"},
        // A quoted value never closed: nothing is forwarded.
        split_case{"/S /V\"a=1", "/S /V\"a=1", ""},
        split_case{"/S /V\"a=\\\" /qn", "/S /V\"a=\\\" /qn", ""}, split_case{"/V\"", "/V\"", ""}));

TEST(split_command_line, replaces_a_stored_commandline) {
    value_map values;
    values.subscript("commandline") = "old";
    split_command_line("/S /V\"unclosed", values);
    EXPECT_EQ(values.subscript("commandline"), "/S /V\"unclosed");
}

struct strip_case {
    const char* forwarded;
    const char* parameters;
    const char* expected;
};

void PrintTo(const strip_case& c, std::ostream* os) {
    *os << '"' << c.forwarded << "\" with parameters \"" << c.parameters << '"';
}

class strip_partner_identity_table : public testing::TestWithParam<strip_case> {};

TEST_P(strip_partner_identity_table, removes_the_first_identity_token) {
    const strip_case& c = GetParam();
    EXPECT_EQ(strip_partner_identity(c.forwarded, c.parameters), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    cases, strip_partner_identity_table,
    testing::Values(strip_case{"a USER_PARTNER_IDENTITY=p1 b", "", "a  b"},
                    strip_case{"a USER_PARTNER_IDENTITY=p1 b", "/V\"VIRGIN=1\"",
                               "a USER_PARTNER_IDENTITY=p1 b"},
                    strip_case{"a USER_PARTNER_IDENTITY=p1 b", "XVIRGIN=10",
                               "a USER_PARTNER_IDENTITY=p1 b"},
                    strip_case{"a USER_PARTNER_IDENTITY=p1 b", "virgin=1", "a  b"},
                    strip_case{"a USER_PARTNER_IDENTITY=p1", "", "a "},
                    strip_case{"USER_PARTNER_IDENTITY=", "", ""},
                    strip_case{"USER_PARTNER_IDENTITY= x", "", " x"},
                    strip_case{"USER_PARTNER_IDENTITY=1 USER_PARTNER_IDENTITY=2", "",
                               " USER_PARTNER_IDENTITY=2"},
                    strip_case{"USER_PARTNER_IDENTITY=\"p 1\" b", "", " 1\" b"},
                    strip_case{"a user_partner_identity=p1 b", "", "a user_partner_identity=p1 b"},
                    strip_case{"USER_PARTNER_IDENTITY", "", "USER_PARTNER_IDENTITY"},
                    strip_case{"", "", ""}));

}  // namespace
