#include "bootstrap/work_folder.hpp"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace {

class parent_folder_table : public testing::TestWithParam<std::pair<const char*, const char*>> {};

TEST_P(parent_folder_table, cuts_before_the_backslash_in_front_of_the_name) {
    EXPECT_EQ(parent_folder(GetParam().first), GetParam().second);
}

INSTANTIATE_TEST_SUITE_P(
    cases, parent_folder_table,
    testing::Values(std::pair{"C:\\T\\ORVNT1\\", "C:\\T"},
                    std::pair{"C:\\Users\\u\\AppData\\Local\\Temp\\ORVNT-123\\",
                              "C:\\Users\\u\\AppData\\Local\\Temp"},
                    std::pair{"C:\\Temp\\ORVNT1\\", "C:\\Temp"}, std::pair{"C:\\ORVNT1\\", "C:"},
                    std::pair{"C:\\T\\ORVNT1", "C:\\T"},
                    std::pair{"\\\\host\\share\\ORVNT1\\", "\\\\host\\share"},
                    std::pair{"ORVNT1\\", ""}, std::pair{"\\ORVNT1\\", ""}, std::pair{"\\", ""},
                    std::pair{"", ""}));

}  // namespace
