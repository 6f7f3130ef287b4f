#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "platform/win32.hpp"

namespace {

constexpr DWORD system_message_flags =
    FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM;

struct system_message {
    DWORD length = 0;
    std::string text;
};

system_message format_system_message(DWORD code, DWORD language) {
    LPSTR buffer = nullptr;
    system_message message;
    message.length = FormatMessageA(system_message_flags, nullptr, code, language,
                                    reinterpret_cast<LPSTR>(&buffer), 0, nullptr);
    if (message.length != 0) {
        message.text.assign(buffer, message.length);
    }
    EXPECT_EQ(LocalFree(buffer), nullptr);
    return message;
}

struct message_case {
    DWORD code;
    DWORD language;
    const char* text;
};

class system_message_text : public testing::TestWithParam<message_case> {};

TEST_P(system_message_text, is_the_english_text_with_its_line_end) {
    const message_case& c = GetParam();
    const system_message message = format_system_message(c.code, c.language);
    EXPECT_EQ(message.text, c.text);
    EXPECT_EQ(message.length, message.text.size());
}

INSTANTIATE_TEST_SUITE_P(
    codes_the_system_reports, system_message_text,
    testing::Values(message_case{ERROR_ACCESS_DENIED, 0x400, "Access is denied.\r\n"},
                    message_case{ERROR_ACCESS_DENIED, 0, "Access is denied.\r\n"},
                    message_case{ERROR_FILE_NOT_FOUND, 0x400,
                                 "The system cannot find the file specified.\r\n"},
                    message_case{ERROR_PATH_NOT_FOUND, 0x400,
                                 "The system cannot find the path specified.\r\n"}));

TEST(format_message, fails_with_mr_mid_not_found_for_a_code_without_text) {
    const DWORD customer_code = 0x2000FFFF;
    const system_message message = format_system_message(customer_code, 0x400);
    EXPECT_EQ(message.length, 0u);
    EXPECT_EQ(GetLastError(), ERROR_MR_MID_NOT_FOUND);
}

TEST(last_error, keeps_what_was_set_last) {
    SetLastError(ERROR_DIR_NOT_EMPTY);
    EXPECT_EQ(GetLastError(), ERROR_DIR_NOT_EMPTY);
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
}

// Starting and joining a thread may itself change the last error (the C
// runtime's thread calls succeed and clear it), so both threads set and read
// theirs while the other one is running, stepping in turn through atomics.
TEST(last_error, belongs_to_each_thread) {
    std::atomic<int> step{0};
    auto wait_for = [&step](int wanted) {
        while (step.load() != wanted) {
            std::this_thread::yield();
        }
    };
    DWORD seen_by_other_thread = 0;
    std::thread other([&] {
        SetLastError(ERROR_NO_MORE_FILES);
        step = 1;
        wait_for(2);
        seen_by_other_thread = GetLastError();
        step = 3;
    });
    wait_for(1);
    SetLastError(ERROR_ACCESS_DENIED);
    step = 2;
    wait_for(3);
    const DWORD seen_by_this_thread = GetLastError();
    other.join();
    EXPECT_EQ(seen_by_other_thread, ERROR_NO_MORE_FILES);
    EXPECT_EQ(seen_by_this_thread, ERROR_ACCESS_DENIED);
}

}  // namespace
