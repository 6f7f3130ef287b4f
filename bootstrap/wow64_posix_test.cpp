// The machine width as the POSIX layer plays it (WIN32_POSIX_WOW64): every way
// the IsWow64Process look-up and call can go.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <optional>
#include <string>

#include "bootstrap/wow64.hpp"

namespace {

struct machine_case {
    std::optional<std::string> setting;
    bool wow64;
};

class is_wow64_test : public testing::TestWithParam<machine_case> {
  protected:
    void TearDown() override { unsetenv("WIN32_POSIX_WOW64"); }
};

TEST_P(is_wow64_test, follows_what_is_wow64_process_says) {
    if (GetParam().setting) {
        setenv("WIN32_POSIX_WOW64", GetParam().setting->c_str(), 1);
    } else {
        unsetenv("WIN32_POSIX_WOW64");
    }
    EXPECT_EQ(is_wow64(), GetParam().wow64);
}

INSTANTIATE_TEST_SUITE_P(machines, is_wow64_test,
                         testing::Values(machine_case{std::string("1"), true},      // 64-bit
                                         machine_case{std::string("0"), false},     // 32-bit
                                         machine_case{std::string("fail"), false},  // call fails
                                         machine_case{std::nullopt, false}));       // no such entry

}  // namespace
