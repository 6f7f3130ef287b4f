#include <gtest/gtest.h>

#include <string>

#include "platform/win32.hpp"

namespace {

std::string box_written_by(LPCSTR text, LPCSTR caption, int& result) {
    testing::internal::CaptureStderr();
    result = MessageBoxA(nullptr, text, caption, MB_OK);
    return testing::internal::GetCapturedStderr();
}

TEST(message_box, writes_counts_then_caption_and_text_raw) {
    int result = 0;
    const std::string box =
        box_written_by("Line one\r\nLine two\rthree", "Invalid Archive!", result);
    EXPECT_EQ(box,
              "MessageBoxA: caption 16 bytes, text 24 bytes\n"
              "Invalid Archive!\n"
              "Line one\r\nLine two\rthree\n");
    EXPECT_EQ(result, IDOK);
}

TEST(message_box, shows_error_for_a_null_caption_and_nothing_for_a_null_text) {
    int result = 0;
    EXPECT_EQ(box_written_by(nullptr, nullptr, result),
              "MessageBoxA: caption 5 bytes, text 0 bytes\nError\n\n");
    EXPECT_EQ(result, IDOK);
}

}  // namespace
