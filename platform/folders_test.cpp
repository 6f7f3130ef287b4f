#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/test_scratch_folder.hpp"
#include "platform/win32.hpp"

namespace {

std::string current_folder() {
    char buffer[MAX_PATH * 4];
    const DWORD length = GetCurrentDirectoryA(sizeof buffer, buffer);
    return length > 0 && length < sizeof buffer ? std::string(buffer, length) : std::string();
}

// Makes folder the current folder for a test and goes back afterwards.
class current_folder_change {
  public:
    explicit current_folder_change(const std::string& folder) : previous_(current_folder()) {
        EXPECT_TRUE(SetCurrentDirectoryA(folder.c_str()));
    }
    current_folder_change(const current_folder_change&) = delete;
    current_folder_change& operator=(const current_folder_change&) = delete;
    ~current_folder_change() { SetCurrentDirectoryA(previous_.c_str()); }

  private:
    std::string previous_;
};

struct found_entry {
    std::string name;
    DWORD attributes;
    DWORD size;
};

// Every entry a search gives, in its order; the last error after the end.
struct search_results {
    std::vector<found_entry> entries;
    DWORD error_at_end = 0;
};

search_results find_all(const std::string& pattern) {
    search_results results;
    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA(pattern.c_str(), &data);
    if (search == INVALID_HANDLE_VALUE) {
        results.error_at_end = GetLastError();
        return results;
    }
    do {
        results.entries.push_back({data.cFileName, data.dwFileAttributes, data.nFileSizeLow});
    } while (FindNextFileA(search, &data));
    results.error_at_end = GetLastError();
    EXPECT_TRUE(FindClose(search));
    return results;
}

std::vector<std::string> sorted_names(const std::vector<found_entry>& entries) {
    std::vector<std::string> names;
    for (const found_entry& entry : entries) {
        names.push_back(entry.name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

const found_entry* entry_named(const search_results& results, const std::string& name) {
    for (const found_entry& entry : results.entries) {
        if (entry.name == name) {
            return &entry;
        }
    }
    return nullptr;
}

TEST(create_directory, creates_once_then_reports_already_exists) {
    const scratch_folder folder;
    const std::string path = folder / "new";
    EXPECT_TRUE(CreateDirectoryA(path.c_str(), nullptr));
    EXPECT_FALSE(CreateDirectoryA(path.c_str(), nullptr));
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
}

TEST(create_directory, fails_with_path_not_found_when_the_parent_is_missing) {
    const scratch_folder folder;
    EXPECT_FALSE(CreateDirectoryA((folder / "missing\\new").c_str(), nullptr));
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
}

TEST(remove_directory, removes_an_empty_folder_with_or_without_trailing_backslash) {
    const scratch_folder folder;
    const std::string plain = folder / "plain";
    const std::string trailing = folder / "trailing";
    ASSERT_TRUE(CreateDirectoryA(plain.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(trailing.c_str(), nullptr));
    EXPECT_TRUE(RemoveDirectoryA(plain.c_str()));
    EXPECT_TRUE(RemoveDirectoryA((trailing + "\\").c_str()));
    EXPECT_FALSE(exists(plain));
    EXPECT_FALSE(exists(trailing));
}

TEST(remove_directory, refuses_a_folder_that_is_not_empty) {
    const scratch_folder folder;
    const std::string path = folder / "full";
    ASSERT_TRUE(CreateDirectoryA(path.c_str(), nullptr));
    write_file(path + "\\file.txt", "x");
    EXPECT_FALSE(RemoveDirectoryA(path.c_str()));
    EXPECT_EQ(GetLastError(), ERROR_DIR_NOT_EMPTY);
    EXPECT_TRUE(exists(path + "\\file.txt"));
}

TEST(remove_directory, refuses_the_current_folder) {
    const scratch_folder folder;
    const std::string path = folder / "current";
    ASSERT_TRUE(CreateDirectoryA(path.c_str(), nullptr));
    {
        const current_folder_change change(path);
        EXPECT_FALSE(RemoveDirectoryA(path.c_str()));
        EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
    }
    EXPECT_TRUE(RemoveDirectoryA(path.c_str()));
}

TEST(remove_directory, fails_with_file_not_found_for_a_missing_folder) {
    const scratch_folder folder;
    EXPECT_FALSE(RemoveDirectoryA((folder / "missing").c_str()));
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST(current_directory, is_the_folder_last_set_without_trailing_backslash) {
    const scratch_folder folder;
    const current_folder_change change(folder.path() + "\\");
    EXPECT_EQ(current_folder(), folder.path());
}

TEST(current_directory, returns_the_size_it_needs_when_the_buffer_is_too_small) {
    const scratch_folder folder;
    const current_folder_change change(folder.path());
    const auto length = static_cast<DWORD>(folder.path().size());
    char buffer[4] = {'k', 'e', 'p', 't'};
    EXPECT_EQ(GetCurrentDirectoryA(sizeof buffer, buffer), length + 1);
    EXPECT_EQ(std::string(buffer, sizeof buffer), "kept");
    EXPECT_EQ(GetCurrentDirectoryA(0, nullptr), length + 1);
    std::string exact(length + 1, '\0');
    EXPECT_EQ(GetCurrentDirectoryA(length + 1, exact.data()), length);
    EXPECT_EQ(exact.c_str(), folder.path());
}

TEST(set_current_directory, fails_for_a_missing_folder) {
    const scratch_folder folder;
    EXPECT_FALSE(SetCurrentDirectoryA((folder / "missing").c_str()));
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST(delete_file, deletes_a_file) {
    const scratch_folder folder;
    const std::string path = folder / "doomed.txt";
    write_file(path, "x");
    EXPECT_TRUE(DeleteFileA(path.c_str()));
    EXPECT_FALSE(exists(path));
}

TEST(delete_file, refuses_a_read_only_file_until_it_is_made_normal) {
    const scratch_folder folder;
    const std::string path = folder / "read-only.txt";
    write_file(path, "x");
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(DeleteFileA(path.c_str()));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_TRUE(exists(path));
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL));
    EXPECT_TRUE(DeleteFileA(path.c_str()));
}

TEST(delete_file, refuses_a_folder) {
    const scratch_folder folder;
    const std::string path = folder / "folder";
    ASSERT_TRUE(CreateDirectoryA(path.c_str(), nullptr));
    EXPECT_FALSE(DeleteFileA(path.c_str()));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
}

TEST(delete_file, tells_a_missing_file_from_a_missing_folder) {
    const scratch_folder folder;
    EXPECT_FALSE(DeleteFileA((folder / "missing.txt").c_str()));
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(DeleteFileA((folder / "missing\\file.txt").c_str()));
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
}

TEST(set_file_attributes, fails_with_file_not_found_for_a_missing_file) {
    const scratch_folder folder;
    EXPECT_FALSE(SetFileAttributesA((folder / "missing.txt").c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

class find_in_folder : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(CreateDirectoryA((folder / "sub").c_str(), nullptr));
        write_file(folder / "b.txt", "12345");
        write_file(folder / "a.log", "");
        write_file(folder / "locked.txt", "1");
        ASSERT_TRUE(SetFileAttributesA((folder / "locked.txt").c_str(), FILE_ATTRIBUTE_READONLY));
    }

    scratch_folder folder;
};

TEST_F(find_in_folder, lists_dot_entries_first_then_every_entry) {
    const search_results results = find_all(folder / "*");
    ASSERT_GE(results.entries.size(), 2u);
    EXPECT_EQ(results.entries[0].name, ".");
    EXPECT_EQ(results.entries[1].name, "..");
    EXPECT_EQ(sorted_names(results.entries),
              (std::vector<std::string>{".", "..", "a.log", "b.txt", "locked.txt", "sub"}));
    EXPECT_EQ(results.error_at_end, ERROR_NO_MORE_FILES);
}

TEST_F(find_in_folder, gives_attributes_and_sizes) {
    const search_results results = find_all(folder / "*");
    const found_entry* dot = entry_named(results, ".");
    const found_entry* sub = entry_named(results, "sub");
    const found_entry* file = entry_named(results, "b.txt");
    const found_entry* locked = entry_named(results, "locked.txt");
    ASSERT_TRUE(dot && sub && file && locked);
    EXPECT_NE(dot->attributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
    EXPECT_NE(sub->attributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
    EXPECT_EQ(file->attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY), 0u);
    EXPECT_EQ(file->size, 5u);
    EXPECT_NE(locked->attributes & FILE_ATTRIBUTE_READONLY, 0u);
    EXPECT_EQ(locked->attributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
}

TEST_F(find_in_folder, matches_wildcards_in_the_last_component) {
    EXPECT_EQ(sorted_names(find_all(folder / "*.txt").entries),
              (std::vector<std::string>{"b.txt", "locked.txt"}));
    EXPECT_EQ(sorted_names(find_all(folder / "?.txt").entries),
              (std::vector<std::string>{"b.txt"}));
    EXPECT_EQ(sorted_names(find_all(folder / "*o*").entries),
              (std::vector<std::string>{"a.log", "locked.txt"}));
}

TEST_F(find_in_folder, gives_the_entry_itself_for_a_pattern_without_wildcards) {
    const search_results file = find_all(folder / "b.txt");
    ASSERT_EQ(file.entries.size(), 1u);
    EXPECT_EQ(file.entries[0].name, "b.txt");
    EXPECT_EQ(file.entries[0].size, 5u);
    const search_results sub = find_all(folder / "sub");
    ASSERT_EQ(sub.entries.size(), 1u);
    EXPECT_EQ(sub.entries[0].name, "sub");
    EXPECT_NE(sub.entries[0].attributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
}

TEST_F(find_in_folder, fails_with_file_not_found_when_nothing_matches) {
    EXPECT_TRUE(find_all(folder / "*.none").entries.empty());
    EXPECT_EQ(find_all(folder / "*.none").error_at_end, ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(find_all(folder / "none.txt").error_at_end, ERROR_FILE_NOT_FOUND);
}

TEST_F(find_in_folder, fails_with_path_not_found_for_a_missing_folder) {
    EXPECT_EQ(find_all(folder / "missing\\*").error_at_end, ERROR_PATH_NOT_FOUND);
}

TEST(find_close, refuses_a_closed_search) {
    const scratch_folder folder;
    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA((folder / "*").c_str(), &data);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(FindClose(search));
    EXPECT_FALSE(FindNextFileA(search, &data));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST(temp_path, ends_with_a_backslash) {
    char buffer[MAX_PATH];
    const DWORD length = GetTempPathA(MAX_PATH, buffer);
    ASSERT_GT(length, 0u);
    ASSERT_LT(length, static_cast<DWORD>(MAX_PATH));
    EXPECT_EQ(buffer[length - 1], '\\');
    EXPECT_EQ(buffer[length], '\0');
}

TEST(temp_path, returns_the_size_it_needs_and_leaves_a_small_buffer_alone) {
    char full[MAX_PATH];
    const DWORD length = GetTempPathA(MAX_PATH, full);
    ASSERT_GT(length, 1u);
    std::string small(length, '#');
    EXPECT_EQ(GetTempPathA(length, small.data()), length + 1);
    EXPECT_EQ(small, std::string(length, '#'));
    std::string exact(length + 1, '#');
    EXPECT_EQ(GetTempPathA(length + 1, exact.data()), length);
    EXPECT_EQ(exact.c_str(), std::string(full, length));
}

TEST(module_file_name, names_this_program_and_cuts_to_a_small_buffer) {
    char full[MAX_PATH * 4];
    const DWORD length = GetModuleFileNameA(nullptr, full, sizeof full);
    ASSERT_GT(length, 4u);
    ASSERT_LT(length, sizeof full);
    EXPECT_TRUE(exists(std::string(full, length)));
    char small[4];
    EXPECT_EQ(GetModuleFileNameA(nullptr, small, sizeof small), sizeof small);
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(std::string(small), std::string(full, 3));
}

}  // namespace
