#include "platform/posix/command_line.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using win32_posix::command_line_tail;
using win32_posix::join_as_typed;
using win32_posix::split_arguments;
using win32_posix::windows_command_line;

using arguments = std::vector<std::string>;

struct split_case {
    const char* text;
    arguments expected;
};

class argument_splitter : public testing::TestWithParam<split_case> {};

TEST_P(argument_splitter, splits_as_a_windows_c_runtime_does) {
    EXPECT_EQ(split_arguments(GetParam().text), GetParam().expected) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    rules, argument_splitter,
    testing::Values(
        split_case{"", {}}, split_case{" \t ", {}}, split_case{"a", {"a"}},
        split_case{"  a \t b  ", {"a", "b"}}, split_case{"\"a b\" c", {"a b", "c"}},
        split_case{"a\"b c\"d", {"ab cd"}}, split_case{"\"\"", {""}},
        split_case{"a \"\" b", {"a", "", "b"}}, split_case{"\"unclosed quote", {"unclosed quote"}},
        split_case{"a\\b\\\\c", {"a\\b\\\\c"}}, split_case{"C:\\dir\\", {"C:\\dir\\"}},
        split_case{"\\\\\"a b\"", {"\\a b"}}, split_case{"\\\"a b", {"\"a", "b"}},
        split_case{"\\\\\\\"a", {"\\\"a"}}, split_case{"\"a\\\"b\"", {"a\"b"}},
        split_case{"\"C:\\dir\\\\\" x", {"C:\\dir\\", "x"}},
        split_case{"\"a\"\"b\" c", {"a\"b", "c"}}, split_case{"\"a\"\"\" b", {"a\"", "b"}},
        split_case{"a\"\"b", {"ab"}}, split_case{"/S /V\"A=1 B=2\"", {"/S", "/VA=1 B=2"}},
        split_case{"/qn /l*v \"C:\\log file.txt\"", {"/qn", "/l*v", "C:\\log file.txt"}}));

TEST(windows_command_line, quotes_the_program_in_backslash_form_and_keeps_the_arguments) {
    EXPECT_EQ(windows_command_line("/opt/app/stubra", {"/S", "/V\"A=1 B=2\""}),
              "\"\\opt\\app\\stubra\" /S /V\"A=1 B=2\"");
    EXPECT_EQ(windows_command_line("./stubra", {}), "\".\\stubra\"");
    EXPECT_EQ(windows_command_line("stubra", {"", "x"}), "\"stubra\"  x");
}

TEST(join_as_typed, joins_by_single_spaces_without_quoting) {
    EXPECT_EQ(join_as_typed({}), "");
    EXPECT_EQ(join_as_typed({"/S", "/V\"A=1 B=2\""}), "/S /V\"A=1 B=2\"");
    EXPECT_EQ(join_as_typed({"a b", "", "c"}), "a b  c");
}

struct tail_case {
    const char* command_line;
    const char* tail;
};

class command_line_tail_of : public testing::TestWithParam<tail_case> {};

TEST_P(command_line_tail_of, skips_the_program_token_and_the_blanks_after_it) {
    EXPECT_EQ(command_line_tail(GetParam().command_line), GetParam().tail);
}

INSTANTIATE_TEST_SUITE_P(
    tokens, command_line_tail_of,
    testing::Values(tail_case{"", ""}, tail_case{"\"C:\\a b\\setup.exe\"", ""},
                    tail_case{"\"C:\\a b\\setup.exe\" ", ""},
                    tail_case{"\"C:\\a b\\setup.exe\"  /S /V\"x y\"", "/S /V\"x y\""},
                    tail_case{"setup.exe\t/S", "/S"}, tail_case{"setup.exe", ""},
                    tail_case{"\"unclosed /S", ""}));

}  // namespace
