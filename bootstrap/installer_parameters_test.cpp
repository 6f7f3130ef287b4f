#include "bootstrap/installer_parameters.hpp"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "platform/test_scratch_folder.hpp"
#include "platform/win32.hpp"

namespace {

// A folder that does not exist, so the MSI log's attributes cannot be touched.
constexpr const char* work_folder = "C:\\T\\ORVNT1\\";

// A value of the map, or nullptr for a key the package did not set.
void set_value(value_map& values, const char* key, const char* value) {
    if (value != nullptr) {
        values.subscript(key) = value;
    }
}

struct merge_case {
    const char* parameters;
    const char* commandline;
    const char* forwarded;
    const char* expected;
};

void PrintTo(const merge_case& c, std::ostream* os) {
    *os << "parameters \"" << (c.parameters != nullptr ? c.parameters : "(none)")
        << "\", commandline \"" << c.commandline << "\", forwarded \"" << c.forwarded << '"';
}

class merge_forwarded_text_table : public testing::TestWithParam<merge_case> {};

TEST_P(merge_forwarded_text_table, puts_the_forwarded_text_into_the_v_option) {
    const merge_case& c = GetParam();
    value_map values;
    set_value(values, "parameters", c.parameters);
    values.subscript("commandline") = c.commandline;
    merge_forwarded_text(values, c.forwarded);
    EXPECT_EQ(values.subscript("parameters"), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    cases, merge_forwarded_text_table,
    testing::Values(
        // No /V: one is appended, without a space in front.
        merge_case{"/qn", "/S", "", "/S /qn/V\"\""}, merge_case{"", "", "", " /V\"\""},
        merge_case{nullptr, "", "x", " /V\"x\""}, merge_case{"/v\"y\"", "", "A", " /v\"y\"/V\"A\""},
        // Quoted /V: the text goes right behind the opening quote.
        merge_case{"/s /V\"/qn\"", "", "A=1", " /s /V\"A=1 /qn\""},
        merge_case{"/V\"/qn\"", "/S  /L1031", "x=1", "/S  /L1031 /V\"x=1 /qn\""},
        merge_case{"/V\"/qn\"", "", "A=\\\"b c\\\"", " /V\"A=\\\"b c\\\" /qn\""},
        merge_case{"/Vx /V\"y\"", "", "A", " /Vx /V\"A y\""},
        // Unquoted /V only: the quoted text goes in at index 2.
        merge_case{"/Vx=1 /qn", "", "A=1", " /V\"A=1\"x=1 /qn"},
        merge_case{"/V", "", "A", " /V\"A\""},
        merge_case{"/qn /Vx=1", "", "A", " /q\"A\"n /Vx=1"}));

constexpr const char* log_option = "/l*v \\\"C:\\T\\Plenta_msi.log.txt\\\"";

struct msi_log_case {
    const char* msilog;
    const char* parameters;
    std::string expected;
};

void PrintTo(const msi_log_case& c, std::ostream* os) {
    *os << "msilog \"" << (c.msilog != nullptr ? c.msilog : "(none)") << "\", parameters \""
        << (c.parameters != nullptr ? c.parameters : "(none)") << '"';
}

class add_msi_log_option_table : public testing::TestWithParam<msi_log_case> {};

TEST_P(add_msi_log_option_table, adds_the_log_option_only_when_asked) {
    const msi_log_case& c = GetParam();
    value_map values;
    set_value(values, "msilog", c.msilog);
    set_value(values, "parameters", c.parameters);
    add_msi_log_option(values, work_folder);
    EXPECT_EQ(values.subscript("parameters"), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    cases, add_msi_log_option_table,
    testing::Values(msi_log_case{"ON", " /s /V\"A=1 /qn\"",
                                 " /s /V\"" + std::string(log_option) + " A=1 /qn\""},
                    msi_log_case{"ON", " /qn", " /qn/V\"" + std::string(log_option) + "\""},
                    msi_log_case{"ON", nullptr, "/V\"" + std::string(log_option) + "\""},
                    msi_log_case{"ON", "/Vx", "/V\"" + std::string(log_option) + "\"x"},
                    msi_log_case{"ON", "/qn /Vx", "/q\"" + std::string(log_option) + "\"n /Vx"},
                    // Anything but exactly "ON" leaves the parameters alone.
                    msi_log_case{"on", " /V\"/qn\"", " /V\"/qn\""},
                    msi_log_case{"ON ", " /V\"/qn\"", " /V\"/qn\""},
                    msi_log_case{"", " /V\"/qn\"", " /V\"/qn\""},
                    msi_log_case{nullptr, " /V\"/qn\"", " /V\"/qn\""}));

TEST(add_msi_log_option, puts_the_log_into_the_parent_of_the_work_folder) {
    value_map values;
    values.subscript("msilog") = "ON";
    add_msi_log_option(values, "D:\\Users\\u\\Temp\\ORVNT-7\\");
    EXPECT_EQ(values.subscript("parameters"),
              "/V\"/l*v \\\"D:\\Users\\u\\Temp\\Plenta_msi.log.txt\\\"\"");
}

DWORD attributes_of(const std::string& path) {
    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA(path.c_str(), &data);
    EXPECT_NE(search, INVALID_HANDLE_VALUE) << path;
    if (search == INVALID_HANDLE_VALUE) {
        return INVALID_FILE_ATTRIBUTES;
    }
    FindClose(search);
    return data.dwFileAttributes;
}

TEST(add_msi_log_option, makes_a_read_only_log_writable_again) {
    const scratch_folder parent;
    const std::string log = parent / "Plenta_msi.log.txt";
    write_file(log, "earlier run");
    ASSERT_TRUE(SetFileAttributesA(log.c_str(), FILE_ATTRIBUTE_READONLY));
    value_map values;
    values.subscript("msilog") = "ON";
    add_msi_log_option(values, parent / "ORVNT1\\");
    EXPECT_EQ(attributes_of(log) & FILE_ATTRIBUTE_READONLY, 0u);
}

// The whole of step 7 on the worked example: package parameters /s /V"/qn",
// command line /V"A=1", and "msilog" "ON".
TEST(installer_parameters, merge_then_log_option_on_the_worked_example) {
    value_map values;
    values.subscript("commandline") = "";
    values.subscript("parameters") = "/s /V\"/qn\"";
    values.subscript("msilog") = "ON";
    merge_forwarded_text(values, "A=1");
    add_msi_log_option(values, work_folder);
    EXPECT_EQ(installer_parameters(values),
              " /s /V\"/l*v \\\"C:\\T\\Plenta_msi.log.txt\\\" A=1 /qn\"");
}

TEST(installer_parameters, expands_the_references_of_parameters) {
    value_map values;
    values.subscript("parameters") = "/V\"INSTALLDIR=%dir%\" %commandline%";
    values.subscript("dir") = "C:\\Program Files\\%name%";
    values.subscript("name") = "Plenta";
    values.subscript("commandline") = "/S";
    EXPECT_EQ(installer_parameters(values), "/V\"INSTALLDIR=C:\\Program Files\\Plenta\" /S");
}

TEST(installer_parameters, gives_an_empty_text_when_the_package_set_none) {
    value_map values;
    EXPECT_EQ(installer_parameters(values), "");
    EXPECT_NE(values.find("parameters"), nullptr);
}

struct executable_case {
    bool wow64;
    const char* expected;
};

class executable_value_table : public testing::TestWithParam<executable_case> {};

TEST_P(executable_value_table, picks_the_value_for_the_width_and_expands_it) {
    value_map values;
    values.subscript("source") = "C:\\T\\ORVNT1";
    values.subscript("executable32") = "setup32.exe";
    values.subscript("executable64") = "%source%\\x64\\setup.exe";
    EXPECT_EQ(executable_value(values, GetParam().wow64), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(cases, executable_value_table,
                         testing::Values(executable_case{false, "setup32.exe"},
                                         executable_case{true, "C:\\T\\ORVNT1\\x64\\setup.exe"}));

// Reading a value the package did not set adds it empty, so a reference to it
// from then on expands to nothing.
TEST(executable_value, adds_a_missing_value_empty) {
    value_map values;
    values.subscript("parameters") = "[%executable64%]";
    EXPECT_EQ(executable_value(values, true), "");
    EXPECT_EQ(installer_parameters(values), "[]");
}

}  // namespace
