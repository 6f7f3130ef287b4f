// What the folder and file calls do with what only POSIX has: permission
// bits, symbolic links, TMPDIR, and a root user whom the kernel lets write
// anything.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <optional>
#include <string>

#include "platform/test_scratch_folder.hpp"
#include "platform/win32.hpp"

namespace {

std::string posix_form(std::string path) {
    for (char& c : path) {
        c = c == '\\' ? '/' : c;
    }
    return path;
}

mode_t permissions_of(const std::string& path) {
    struct stat status {};
    EXPECT_EQ(::lstat(posix_form(path).c_str(), &status), 0) << path;
    return status.st_mode & 07777;
}

mode_t current_umask() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

void make_link(const std::string& target, const std::string& link) {
    ASSERT_EQ(::symlink(posix_form(target).c_str(), posix_form(link).c_str()), 0) << link;
}

DWORD attributes_found(const std::string& path) {
    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA(path.c_str(), &data);
    EXPECT_NE(search, INVALID_HANDLE_VALUE) << path;
    if (search == INVALID_HANDLE_VALUE) {
        return 0;
    }
    FindClose(search);
    return data.dwFileAttributes;
}

TEST(new_entries, files_may_be_executed_and_folders_belong_to_their_owner) {
    const scratch_folder folder;
    write_file(folder / "program", "");
    ASSERT_TRUE(CreateDirectoryA((folder / "work").c_str(), nullptr));
    EXPECT_EQ(permissions_of(folder / "program"), 0777 & ~current_umask());
    EXPECT_EQ(permissions_of(folder / "work"), 0700 & ~current_umask());
}

// The kernel lets root delete and write anything; the layer refuses what
// Windows refuses for everyone.
TEST(read_only_files, refuse_deleting_and_writing_whoever_asks) {
    const scratch_folder folder;
    const std::string path = folder / "locked.txt";
    write_file(path, "kept");
    ASSERT_EQ(::chmod(posix_form(path).c_str(), 0444), 0);
    EXPECT_FALSE(DeleteFileA(path.c_str()));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_EQ(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_EQ(read_file(path), "kept");
}

TEST(read_only_files, are_those_without_any_write_bit) {
    const scratch_folder folder;
    const std::string path = folder / "group-writable.txt";
    write_file(path, "");
    ASSERT_EQ(::chmod(posix_form(path).c_str(), 0464), 0);
    EXPECT_EQ(attributes_found(path), FILE_ATTRIBUTE_NORMAL);
    EXPECT_TRUE(DeleteFileA(path.c_str()));
}

TEST(set_file_attributes, clears_every_write_bit_and_gives_the_owner_one_back) {
    const scratch_folder folder;
    const std::string path = folder / "file.txt";
    write_file(path, "");
    ASSERT_EQ(::chmod(posix_form(path).c_str(), 0666), 0);
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(permissions_of(path), 0444u);
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(permissions_of(path), 0644u);
}

struct attributes_case {
    const char* name;
    DWORD attributes;
};

class entry_attributes : public testing::TestWithParam<attributes_case> {
  protected:
    void SetUp() override {
        ASSERT_TRUE(CreateDirectoryA((folder / "folder").c_str(), nullptr));
        write_file(folder / "file", "");
        write_file(folder / "read-only", "");
        ASSERT_EQ(::chmod(posix_form(folder / "read-only").c_str(), 0444), 0);
        make_link(folder / "folder", folder / "folder-link");
        make_link(folder / "file", folder / "file-link");
        make_link(folder / "missing", folder / "dangling-link");
    }

    scratch_folder folder;
};

TEST_P(entry_attributes, are_exactly_what_windows_would_show) {
    EXPECT_EQ(attributes_found(folder / GetParam().name), GetParam().attributes);
}

INSTANTIATE_TEST_SUITE_P(
    entries, entry_attributes,
    testing::Values(attributes_case{"folder", FILE_ATTRIBUTE_DIRECTORY},
                    attributes_case{"file", FILE_ATTRIBUTE_NORMAL},
                    attributes_case{"read-only", FILE_ATTRIBUTE_READONLY},
                    attributes_case{"folder-link",
                                    FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY},
                    attributes_case{"file-link", FILE_ATTRIBUTE_REPARSE_POINT},
                    attributes_case{"dangling-link", FILE_ATTRIBUTE_REPARSE_POINT}),
    [](const testing::TestParamInfo<attributes_case>& test) {
        std::string name = test.param.name;
        for (char& c : name) {
            c = c == '-' ? '_' : c;
        }
        return name;
    });

TEST(symbolic_links, a_folder_link_is_removed_as_the_link_and_its_target_stays) {
    const scratch_folder folder;
    const std::string target = folder / "target";
    ASSERT_TRUE(CreateDirectoryA(target.c_str(), nullptr));
    write_file(target + "\\kept.txt", "kept");
    make_link(target, folder / "link");
    EXPECT_TRUE(RemoveDirectoryA((folder / "link").c_str()));
    EXPECT_FALSE(exists(folder / "link"));
    EXPECT_EQ(read_file(target + "\\kept.txt"), "kept");
}

TEST(symbolic_links, a_link_whose_folder_is_gone_is_removed_as_a_folder_link) {
    const scratch_folder folder;
    ASSERT_TRUE(CreateDirectoryA((folder / "target").c_str(), nullptr));
    make_link(folder / "target", folder / "link");
    ASSERT_TRUE(RemoveDirectoryA((folder / "target").c_str()));
    EXPECT_TRUE(RemoveDirectoryA((folder / "link").c_str()));
    EXPECT_FALSE(exists(folder / "link"));
}

TEST(symbolic_links, a_file_link_is_no_folder_to_remove) {
    const scratch_folder folder;
    write_file(folder / "file", "");
    make_link(folder / "file", folder / "link");
    EXPECT_FALSE(RemoveDirectoryA((folder / "link").c_str()));
    EXPECT_EQ(GetLastError(), ERROR_DIRECTORY);
    EXPECT_TRUE(exists(folder / "link"));
}

TEST(symbolic_links, delete_file_removes_the_link_and_never_its_target) {
    const scratch_folder folder;
    write_file(folder / "read-only", "kept");
    ASSERT_EQ(::chmod(posix_form(folder / "read-only").c_str(), 0444), 0);
    make_link(folder / "read-only", folder / "link");
    EXPECT_TRUE(DeleteFileA((folder / "link").c_str()));
    EXPECT_FALSE(exists(folder / "link"));
    EXPECT_EQ(read_file(folder / "read-only"), "kept");
}

TEST(find_in_root, gives_no_dot_entries) {
    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA("\\*", &data);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    do {
        EXPECT_STRNE(data.cFileName, ".");
        EXPECT_STRNE(data.cFileName, "..");
    } while (FindNextFileA(search, &data));
    FindClose(search);
}

struct temp_case {
    const char* name;
    const char* tmpdir;  // nullptr: unset
    const char* path;
};

class temp_path_from_tmpdir : public testing::TestWithParam<temp_case> {
  protected:
    void SetUp() override {
        const char* value = std::getenv("TMPDIR");
        saved_ = value == nullptr ? std::nullopt : std::optional<std::string>(value);
    }
    void TearDown() override {
        if (saved_) {
            ::setenv("TMPDIR", saved_->c_str(), 1);
        } else {
            ::unsetenv("TMPDIR");
        }
    }

  private:
    std::optional<std::string> saved_;
};

TEST_P(temp_path_from_tmpdir, is_in_backslash_form_with_one_trailing_backslash) {
    if (GetParam().tmpdir == nullptr) {
        ::unsetenv("TMPDIR");
    } else {
        ::setenv("TMPDIR", GetParam().tmpdir, 1);
    }
    char buffer[MAX_PATH];
    const DWORD length = GetTempPathA(MAX_PATH, buffer);
    EXPECT_EQ(std::string(buffer, length), GetParam().path);
}

INSTANTIATE_TEST_SUITE_P(
    values, temp_path_from_tmpdir,
    testing::Values(temp_case{"unset", nullptr, "\\tmp\\"}, temp_case{"empty", "", "\\tmp\\"},
                    temp_case{"plain", "/var/tmp/user", "\\var\\tmp\\user\\"},
                    temp_case{"trailing_slash", "/var/tmp/user/", "\\var\\tmp\\user\\"},
                    temp_case{"root", "/", "\\"}),
    [](const testing::TestParamInfo<temp_case>& test) { return test.param.name; });

TEST(current_directory, is_given_in_backslash_form) {
    char previous[4096];
    ASSERT_NE(::getcwd(previous, sizeof previous), nullptr);
    const scratch_folder folder;
    ASSERT_TRUE(SetCurrentDirectoryA(folder.path().c_str()));
    char buffer[4096];
    const DWORD length = GetCurrentDirectoryA(sizeof buffer, buffer);
    char posix[4096];
    ASSERT_NE(::getcwd(posix, sizeof posix), nullptr);
    std::string expected = posix;
    for (char& c : expected) {
        c = c == '/' ? '\\' : c;
    }
    EXPECT_EQ(std::string(buffer, length), expected);
    ASSERT_EQ(::chdir(previous), 0);
}

TEST(set_current_directory, refuses_a_file_with_error_directory) {
    const scratch_folder folder;
    write_file(folder / "file", "");
    EXPECT_FALSE(SetCurrentDirectoryA((folder / "file").c_str()));
    EXPECT_EQ(GetLastError(), ERROR_DIRECTORY);
}

}  // namespace
