#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "platform/posix/last_error.hpp"
#include "platform/win32.hpp"

namespace {

std::string message_for(DWORD code, DWORD language = 0x400) {
    LPSTR buffer = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM,
        nullptr, code, language, reinterpret_cast<LPSTR>(&buffer), 0, nullptr);
    const std::string text = length == 0 ? std::string() : std::string(buffer, length);
    LocalFree(buffer);
    return text;
}

class every_code_the_layer_sets : public testing::TestWithParam<DWORD> {};

TEST_P(every_code_the_layer_sets, has_a_system_text_ending_with_cr_lf) {
    const std::string text = message_for(GetParam());
    ASSERT_GT(text.size(), 2u) << "code " << GetParam();
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
    EXPECT_EQ(text.find("\r\n"), text.size() - 2);
}

INSTANTIATE_TEST_SUITE_P(
    set_directly, every_code_the_layer_sets,
    testing::Values(ERROR_SUCCESS, ERROR_INVALID_FUNCTION, ERROR_FILE_NOT_FOUND,
                    ERROR_PATH_NOT_FOUND, ERROR_ACCESS_DENIED, ERROR_INVALID_HANDLE,
                    ERROR_NOT_ENOUGH_MEMORY, ERROR_NO_MORE_FILES, ERROR_SHARING_VIOLATION,
                    ERROR_NOT_SUPPORTED, ERROR_FILE_EXISTS, ERROR_INVALID_PARAMETER,
                    ERROR_INSUFFICIENT_BUFFER, ERROR_INVALID_NAME, ERROR_MOD_NOT_FOUND,
                    ERROR_PROC_NOT_FOUND, ERROR_NEGATIVE_SEEK, ERROR_DIR_NOT_EMPTY,
                    ERROR_ALREADY_EXISTS, ERROR_DIRECTORY, ERROR_MR_MID_NOT_FOUND,
                    ERROR_RESOURCE_LANG_NOT_FOUND));

INSTANTIATE_TEST_SUITE_P(
    mapped_from_errno, every_code_the_layer_sets,
    testing::Values(win32_posix::error_from_errno(ENOENT), win32_posix::error_from_errno(ENOTDIR),
                    win32_posix::error_from_errno(EMFILE), win32_posix::error_from_errno(EACCES),
                    win32_posix::error_from_errno(EBADF), win32_posix::error_from_errno(ENOMEM),
                    win32_posix::error_from_errno(EROFS), win32_posix::error_from_errno(ETXTBSY),
                    win32_posix::error_from_errno(ENOTSUP), win32_posix::error_from_errno(EEXIST),
                    win32_posix::error_from_errno(EINVAL), win32_posix::error_from_errno(EPIPE),
                    win32_posix::error_from_errno(ENOSPC),
                    win32_posix::error_from_errno(ENAMETOOLONG),
                    win32_posix::error_from_errno(ENOTEMPTY),
                    win32_posix::error_from_errno(ENOEXEC), win32_posix::error_from_errno(ELOOP),
                    win32_posix::error_from_errno(EXDEV)));

TEST(errno_table, maps_the_errors_the_system_meets_to_their_win32_codes) {
    EXPECT_EQ(win32_posix::error_from_errno(ENOENT), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(win32_posix::error_from_errno(ENOTDIR), ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(win32_posix::error_from_errno(EACCES), ERROR_ACCESS_DENIED);
    EXPECT_EQ(win32_posix::error_from_errno(ENOTEMPTY), ERROR_DIR_NOT_EMPTY);
    EXPECT_EQ(win32_posix::error_from_errno(ENOSPC), ERROR_DISK_FULL);
    EXPECT_EQ(win32_posix::error_from_errno(EXDEV), ERROR_INVALID_FUNCTION);
}

TEST(format_message, refuses_a_language_without_english_texts) {
    EXPECT_EQ(message_for(ERROR_ACCESS_DENIED, 0x407), "");
    EXPECT_EQ(GetLastError(), ERROR_RESOURCE_LANG_NOT_FOUND);
    EXPECT_EQ(message_for(ERROR_ACCESS_DENIED, 0x409), "Access is denied.\r\n");
}

TEST(format_message, copies_into_a_caller_buffer_that_is_large_enough) {
    char buffer[32];
    const DWORD flags = FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM;
    EXPECT_EQ(
        FormatMessageA(flags, nullptr, ERROR_ACCESS_DENIED, 0, buffer, sizeof buffer, nullptr),
        19u);
    EXPECT_STREQ(buffer, "Access is denied.\r\n");
    EXPECT_EQ(FormatMessageA(flags, nullptr, ERROR_ACCESS_DENIED, 0, buffer, 19, nullptr), 0u);
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
}

}  // namespace
