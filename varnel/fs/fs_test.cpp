#include <gtest/gtest.h>

#include <string>

#include "platform/test_scratch_folder.hpp"
#include "platform/win32.hpp"
#include "varnel/fs/remove_folder.hpp"
#include "varnel/fs/system_error_text.hpp"
#include "varnel/fs/temp_path.hpp"

namespace {

void make_folder(const std::string& path) {
    ASSERT_TRUE(CreateDirectoryA(path.c_str(), nullptr)) << path << " error " << GetLastError();
}

// A "victim" folder to be removed, inside a scratch folder of the test's own.
class remove_folder_test : public testing::Test {
  protected:
    void SetUp() override { make_folder(victim_); }

    const scratch_folder scratch_;
    const std::string victim_ = scratch_ / "victim";
};

TEST_F(remove_folder_test, removes_a_tree_of_files_and_nested_folders_whatever_the_path_ends_with) {
    for (const std::string ending : {"", "\\", "/"}) {
        SCOPED_TRACE("path ending '" + ending + "'");
        if (!exists(victim_)) {
            make_folder(victim_);
        }
        write_file(victim_ + "\\setup.exe", "MZ");
        write_file(victim_ + "\\.hidden", "");
        make_folder(victim_ + "\\data");
        make_folder(victim_ + "\\data\\deeper");
        write_file(victim_ + "\\data\\deeper\\payload.bin", "payload");

        EXPECT_TRUE(varnel::fs::remove_folder(victim_ + ending));
        EXPECT_FALSE(exists(victim_));
    }
}

TEST_F(remove_folder_test, removes_an_empty_folder) {
    EXPECT_TRUE(varnel::fs::remove_folder(victim_));
    EXPECT_FALSE(exists(victim_));
}

TEST_F(remove_folder_test, reports_a_missing_folder_and_touches_nothing) {
    write_file(scratch_ / "neighbour.txt", "stays");
    EXPECT_FALSE(varnel::fs::remove_folder(scratch_ / "missing"));
    EXPECT_TRUE(exists(scratch_ / "neighbour.txt"));
}

TEST_F(remove_folder_test, keeps_subfolders_whose_names_begin_with_a_full_stop) {
    make_folder(victim_ + "\\.keep");
    write_file(victim_ + "\\.keep\\inside.txt", "kept");
    write_file(victim_ + "\\file.txt", "gone");
    make_folder(victim_ + "\\sub");

    EXPECT_FALSE(varnel::fs::remove_folder(victim_));
    EXPECT_TRUE(exists(victim_ + "\\.keep\\inside.txt"));
    EXPECT_FALSE(exists(victim_ + "\\file.txt"));
    EXPECT_FALSE(exists(victim_ + "\\sub"));
}

TEST_F(remove_folder_test, keeps_a_read_only_file_and_deletes_the_others) {
    write_file(victim_ + "\\locked.txt", "locked");
    ASSERT_TRUE(SetFileAttributesA((victim_ + "\\locked.txt").c_str(), FILE_ATTRIBUTE_READONLY));
    write_file(victim_ + "\\other.txt", "gone");

    EXPECT_FALSE(varnel::fs::remove_folder(victim_));
    EXPECT_TRUE(exists(victim_ + "\\locked.txt"));
    EXPECT_FALSE(exists(victim_ + "\\other.txt"));
}

TEST(temp_path, ends_with_a_backslash) {
    const std::string path = varnel::fs::temp_path();
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(path.back(), '\\');
}

TEST(system_error_text, gives_the_system_text_without_its_line_end) {
    EXPECT_EQ(varnel::system_error_text(ERROR_ACCESS_DENIED), "Access is denied.");
    EXPECT_EQ(varnel::system_error_text(ERROR_FILE_NOT_FOUND),
              "The system cannot find the file specified.");
}

TEST(system_error_text, is_empty_for_a_code_the_system_does_not_know) {
    EXPECT_EQ(varnel::system_error_text(0x2000BEEF), "");
}

}  // namespace
