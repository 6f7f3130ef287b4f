#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "platform/test_scratch_folder.hpp"
#include "platform/win32.hpp"

namespace {

HANDLE open(const std::string& path, DWORD access, DWORD disposition) {
    return CreateFileA(path.c_str(), access, FILE_SHARE_READ, nullptr, disposition,
                       FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
}

struct disposition_case {
    const char* name;
    DWORD disposition;
    bool file_exists;
    bool opens;
    // The last error where Windows states it: after a failure, and after
    // CREATE_ALWAYS and OPEN_ALWAYS.
    std::optional<DWORD> last_error;
    const char* content_after;  // nullptr: no file afterwards
};

class create_file_disposition : public testing::TestWithParam<disposition_case> {};

TEST_P(create_file_disposition, opens_creates_or_refuses_as_windows_does) {
    const disposition_case& c = GetParam();
    const scratch_folder folder;
    const std::string path = folder / "file.txt";
    if (c.file_exists) {
        write_file(path, "old");
    }
    SetLastError(ERROR_INVALID_FUNCTION);
    {
        const handle_guard file(open(path, GENERIC_READ | GENERIC_WRITE, c.disposition));
        const DWORD error = GetLastError();
        EXPECT_EQ(file.get() != INVALID_HANDLE_VALUE, c.opens);
        if (c.last_error) {
            EXPECT_EQ(error, *c.last_error);
        }
    }
    if (c.content_after == nullptr) {
        EXPECT_FALSE(exists(path));
    } else {
        EXPECT_EQ(read_file(path), c.content_after);
    }
}

INSTANTIATE_TEST_SUITE_P(
    dispositions, create_file_disposition,
    testing::Values(
        disposition_case{"create_new_absent", CREATE_NEW, false, true, std::nullopt, ""},
        disposition_case{"create_new_existing", CREATE_NEW, true, false, ERROR_FILE_EXISTS, "old"},
        disposition_case{"create_always_absent", CREATE_ALWAYS, false, true, ERROR_SUCCESS, ""},
        disposition_case{"create_always_existing", CREATE_ALWAYS, true, true, ERROR_ALREADY_EXISTS,
                         ""},
        disposition_case{"open_existing_absent", OPEN_EXISTING, false, false, ERROR_FILE_NOT_FOUND,
                         nullptr},
        disposition_case{"open_existing_existing", OPEN_EXISTING, true, true, std::nullopt, "old"},
        disposition_case{"open_always_absent", OPEN_ALWAYS, false, true, ERROR_SUCCESS, ""},
        disposition_case{"open_always_existing", OPEN_ALWAYS, true, true, ERROR_ALREADY_EXISTS,
                         "old"},
        disposition_case{"truncate_existing_absent", TRUNCATE_EXISTING, false, false,
                         ERROR_FILE_NOT_FOUND, nullptr},
        disposition_case{"truncate_existing_existing", TRUNCATE_EXISTING, true, true, std::nullopt,
                         ""}),
    [](const testing::TestParamInfo<disposition_case>& test) { return test.param.name; });

TEST(create_file, fails_with_path_not_found_when_the_folder_is_missing) {
    const scratch_folder folder;
    const handle_guard file(open(folder / "missing\\file.txt", GENERIC_WRITE, CREATE_ALWAYS));
    EXPECT_EQ(file.get(), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
}

TEST(create_file, refuses_a_folder_with_access_denied) {
    const scratch_folder folder;
    const handle_guard file(open(folder.path(), GENERIC_READ, OPEN_EXISTING));
    EXPECT_EQ(file.get(), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
}

TEST(create_file, refuses_to_write_a_read_only_file) {
    const scratch_folder folder;
    const std::string path = folder / "read-only.txt";
    write_file(path, "kept");
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
    const handle_guard file(open(path, GENERIC_WRITE, CREATE_ALWAYS));
    EXPECT_EQ(file.get(), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_EQ(read_file(path), "kept");
}

TEST(create_file, accepts_forward_slashes_as_separators) {
    const scratch_folder folder;
    std::string path = folder / "slashes.txt";
    for (char& c : path) {
        c = c == '\\' ? '/' : c;
    }
    write_file(path, "both separators");
    EXPECT_EQ(read_file(folder / "slashes.txt"), "both separators");
}

TEST(read_file, delivers_a_short_count_at_the_end_and_then_zero) {
    const scratch_folder folder;
    const std::string path = folder / "short.txt";
    write_file(path, "12345");
    const handle_guard file(open(path, GENERIC_READ, OPEN_EXISTING));
    char buffer[16] = {};
    DWORD count = 99;
    ASSERT_TRUE(ReadFile(file.get(), buffer, sizeof buffer, &count, nullptr));
    EXPECT_EQ(std::string(buffer, count), "12345");
    ASSERT_TRUE(ReadFile(file.get(), buffer, sizeof buffer, &count, nullptr));
    EXPECT_EQ(count, 0u);
}

TEST(read_file, refuses_a_handle_opened_for_writing_only) {
    const scratch_folder folder;
    const handle_guard file(open(folder / "write-only.txt", GENERIC_WRITE, CREATE_ALWAYS));
    char buffer[4];
    DWORD count = 99;
    EXPECT_FALSE(ReadFile(file.get(), buffer, sizeof buffer, &count, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_EQ(count, 0u);
}

TEST(write_file, writes_the_whole_buffer_and_counts_it) {
    const scratch_folder folder;
    const std::string path = folder / "written.txt";
    {
        const handle_guard file(open(path, GENERIC_WRITE, CREATE_NEW));
        DWORD written = 0;
        ASSERT_TRUE(WriteFile(file.get(), "abc\0def", 7, &written, nullptr));
        EXPECT_EQ(written, 7u);
    }
    EXPECT_EQ(read_file(path), std::string("abc\0def", 7));
}

TEST(file_size, is_the_number_of_bytes_in_the_file) {
    const scratch_folder folder;
    const std::string path = folder / "sized.txt";
    write_file(path, std::string(70000, 'x'));
    const handle_guard file(open(path, GENERIC_READ, OPEN_EXISTING));
    DWORD high = 99;
    EXPECT_EQ(GetFileSize(file.get(), &high), 70000u);
    EXPECT_EQ(high, 0u);
    EXPECT_EQ(GetFileSize(file.get(), nullptr), 70000u);
}

// A 100-byte file, the pointer first moved to start_at from the start.
struct pointer_case {
    const char* name;
    LONG start_at;
    LONG distance;
    DWORD method;
    DWORD result;
    DWORD position_after;
    std::optional<DWORD> error;
};

class set_file_pointer : public testing::TestWithParam<pointer_case> {};

TEST_P(set_file_pointer, moves_by_a_signed_32_bit_distance) {
    const pointer_case& c = GetParam();
    const scratch_folder folder;
    const std::string path = folder / "hundred.bin";
    write_file(path, std::string(100, 'p'));
    const handle_guard file(open(path, GENERIC_READ, OPEN_EXISTING));
    ASSERT_EQ(SetFilePointer(file.get(), c.start_at, nullptr, FILE_BEGIN),
              static_cast<DWORD>(c.start_at));
    EXPECT_EQ(SetFilePointer(file.get(), c.distance, nullptr, c.method), c.result);
    if (c.error) {
        EXPECT_EQ(GetLastError(), *c.error);
    }
    EXPECT_EQ(SetFilePointer(file.get(), 0, nullptr, FILE_CURRENT), c.position_after);
}

INSTANTIATE_TEST_SUITE_P(
    moves, set_file_pointer,
    testing::Values(pointer_case{"from_begin", 10, 30, FILE_BEGIN, 30, 30, std::nullopt},
                    pointer_case{"forward_from_current", 10, 5, FILE_CURRENT, 15, 15, std::nullopt},
                    pointer_case{"back_from_current", 10, -4, FILE_CURRENT, 6, 6, std::nullopt},
                    pointer_case{"back_from_end", 10, -23, FILE_END, 77, 77, std::nullopt},
                    pointer_case{"zero_from_end", 10, 0, FILE_END, 100, 100, std::nullopt},
                    pointer_case{"past_the_end", 10, 50, FILE_END, 150, 150, std::nullopt},
                    pointer_case{"back_to_the_start", 10, -10, FILE_CURRENT, 0, 0, std::nullopt},
                    pointer_case{"before_the_start_from_current", 10, -11, FILE_CURRENT,
                                 INVALID_SET_FILE_POINTER, 10, ERROR_NEGATIVE_SEEK},
                    pointer_case{"before_the_start_from_end", 10, -101, FILE_END,
                                 INVALID_SET_FILE_POINTER, 10, ERROR_NEGATIVE_SEEK},
                    pointer_case{"negative_from_begin", 10, -1, FILE_BEGIN,
                                 INVALID_SET_FILE_POINTER, 10, ERROR_NEGATIVE_SEEK}),
    [](const testing::TestParamInfo<pointer_case>& test) { return test.param.name; });

TEST(set_file_pointer_high_part, carries_the_upper_32_bits) {
    const scratch_folder folder;
    const std::string path = folder / "small.bin";
    write_file(path, "0123456789");
    const handle_guard file(open(path, GENERIC_READ, OPEN_EXISTING));
    LONG high = 0;
    EXPECT_EQ(SetFilePointer(file.get(), 4, &high, FILE_BEGIN), 4u);
    EXPECT_EQ(high, 0);
    high = -1;
    EXPECT_EQ(SetFilePointer(file.get(), -2, &high, FILE_CURRENT), 2u);
    EXPECT_EQ(high, 0);
}

TEST(handles, a_closed_handle_is_invalid) {
    const scratch_folder folder;
    HANDLE file = open(folder / "closed.txt", GENERIC_WRITE, CREATE_NEW);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(CloseHandle(file));
    EXPECT_FALSE(CloseHandle(file));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST(handles, a_null_handle_is_invalid_for_every_file_call) {
    char buffer[4];
    DWORD count = 0;
    EXPECT_FALSE(ReadFile(nullptr, buffer, sizeof buffer, &count, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_FALSE(WriteFile(nullptr, buffer, sizeof buffer, &count, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_EQ(SetFilePointer(nullptr, 0, nullptr, FILE_BEGIN), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_EQ(GetFileSize(nullptr, nullptr), INVALID_FILE_SIZE);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_FALSE(CloseHandle(nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

}  // namespace
