// What only the POSIX build can set up: symbolic links and an overlong TMPDIR.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "varnel/fs/remove_folder.hpp"
#include "varnel/fs/temp_path.hpp"

namespace {

namespace stdfs = std::filesystem;

class scratch_folder : public testing::Test {
  protected:
    void SetUp() override {
        const auto* info = testing::UnitTest::GetInstance()->current_test_info();
        root_ = stdfs::temp_directory_path() / ("stubra-fs-posix-" + std::string(info->name()));
        stdfs::remove_all(root_);
        stdfs::create_directories(root_ / "victim");
        stdfs::create_directories(root_ / "outside");
        std::ofstream(root_ / "outside" / "precious.txt") << "keep me";
    }
    void TearDown() override { stdfs::remove_all(root_); }

    std::string victim() const { return (root_ / "victim").string(); }
    stdfs::path root_;
};

TEST_F(scratch_folder, removes_a_link_inside_the_folder_without_entering_it) {
    stdfs::create_directory_symlink(root_ / "outside", root_ / "victim" / "link");
    std::ofstream(root_ / "victim" / "file.txt") << "x";

    EXPECT_TRUE(varnel::fs::remove_folder(victim()));
    EXPECT_FALSE(stdfs::exists(root_ / "victim"));
    EXPECT_TRUE(stdfs::exists(root_ / "outside" / "precious.txt"));
}

TEST_F(scratch_folder, removes_a_linked_folder_as_the_link_itself) {
    stdfs::create_directory_symlink(root_ / "outside", root_ / "linked");
    for (const std::string ending : {"", "\\", "/"}) {
        SCOPED_TRACE("path ending '" + ending + "'");
        if (!stdfs::is_symlink(root_ / "linked")) {
            stdfs::create_directory_symlink(root_ / "outside", root_ / "linked");
        }
        EXPECT_TRUE(varnel::fs::remove_folder((root_ / "linked").string() + ending));
        EXPECT_FALSE(stdfs::is_symlink(root_ / "linked"));
        EXPECT_TRUE(stdfs::exists(root_ / "outside" / "precious.txt"));
    }
}

TEST_F(scratch_folder, removes_a_link_to_a_file_without_touching_the_file) {
    stdfs::create_symlink(root_ / "outside" / "precious.txt", root_ / "victim" / "file-link");
    EXPECT_TRUE(varnel::fs::remove_folder(victim()));
    EXPECT_TRUE(stdfs::exists(root_ / "outside" / "precious.txt"));
}

class tmpdir_override : public testing::Test {
  protected:
    void SetUp() override {
        const char* old = getenv("TMPDIR");
        had_old_ = old != nullptr;
        old_ = had_old_ ? old : "";
    }
    void TearDown() override {
        if (had_old_) {
            setenv("TMPDIR", old_.c_str(), 1);
        } else {
            unsetenv("TMPDIR");
        }
    }
    bool had_old_ = false;
    std::string old_;
};

TEST_F(tmpdir_override, temp_path_is_empty_when_the_folder_does_not_fit_in_max_path) {
    setenv("TMPDIR", ("/" + std::string(300, 'x')).c_str(), 1);
    EXPECT_EQ(varnel::fs::temp_path(), "");
}

TEST_F(tmpdir_override, temp_path_gives_the_folder_in_windows_syntax) {
    setenv("TMPDIR", "/var/tmp/stubra", 1);
    EXPECT_EQ(varnel::fs::temp_path(), "\\var\\tmp\\stubra\\");
}

}  // namespace
