#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "platform/win32.hpp"

namespace {

using is_wow64_process_function = BOOL(WINAPI*)(HANDLE, PBOOL);

struct wow64_case {
    const char* name;
    const char* variable;  // nullptr: unset
    bool present;
    BOOL call_result;
    BOOL answer;
};

class wow64_environment : public testing::TestWithParam<wow64_case> {
  protected:
    void TearDown() override { ::unsetenv("WIN32_POSIX_WOW64"); }
};

TEST_P(wow64_environment, decides_whether_is_wow64_process_exists_and_what_it_says) {
    const wow64_case& c = GetParam();
    if (c.variable == nullptr) {
        ::unsetenv("WIN32_POSIX_WOW64");
    } else {
        ::setenv("WIN32_POSIX_WOW64", c.variable, 1);
    }
    const FARPROC entry = GetProcAddress(GetModuleHandleA("kernel32"), "IsWow64Process");
    ASSERT_EQ(entry != nullptr, c.present);
    if (!c.present) {
        EXPECT_EQ(GetLastError(), ERROR_PROC_NOT_FOUND);
        return;
    }
    const auto is_wow64_process =
        reinterpret_cast<is_wow64_process_function>(reinterpret_cast<void (*)()>(entry));
    BOOL answer = 42;
    EXPECT_EQ(is_wow64_process(GetCurrentProcess(), &answer), c.call_result);
    if (c.call_result) {
        EXPECT_EQ(answer, c.answer);
    } else {
        EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    }
}

INSTANTIATE_TEST_SUITE_P(values, wow64_environment,
                         testing::Values(wow64_case{"unset", nullptr, false, FALSE, FALSE},
                                         wow64_case{"one", "1", true, TRUE, TRUE},
                                         wow64_case{"zero", "0", true, TRUE, FALSE},
                                         wow64_case{"fail", "fail", true, FALSE, FALSE},
                                         wow64_case{"other", "yes", false, FALSE, FALSE},
                                         wow64_case{"empty", "", false, FALSE, FALSE}),
                         [](const testing::TestParamInfo<wow64_case>& test) {
                             return test.param.name;
                         });

TEST(module_handles, know_kernel32_under_either_spelling_and_nothing_else) {
    EXPECT_NE(GetModuleHandleA("kernel32"), nullptr);
    EXPECT_EQ(GetModuleHandleA("KERNEL32.DLL"), GetModuleHandleA("kernel32"));
    EXPECT_EQ(GetModuleHandleA("user32"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
}

TEST(module_file_name, is_this_program_in_backslash_form) {
    char expected[4096];
    const ssize_t length = ::readlink("/proc/self/exe", expected, sizeof expected);
    ASSERT_GT(length, 0);
    std::string windows_form(expected, static_cast<std::size_t>(length));
    for (char& c : windows_form) {
        c = c == '/' ? '\\' : c;
    }
    char buffer[4096];
    const DWORD result = GetModuleFileNameA(nullptr, buffer, sizeof buffer);
    EXPECT_EQ(std::string(buffer, result), windows_form);
}

}  // namespace
