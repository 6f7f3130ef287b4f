// Processes started through ShellExecuteExA that only POSIX has: shell
// scripts as children, exit statuses and signals, inherited pipe ends, and
// programs started without ShellExecuteExA.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "platform/test_scratch_folder.hpp"
#include "platform/win32.hpp"

namespace {

const std::string fake_installer = STUBRA_FAKE_INSTALLER;

std::string posix_form(std::string path) {
    for (char& c : path) {
        c = c == '\\' ? '/' : c;
    }
    return path;
}

// A handle to a started shell, closed at the end of the test.
class started_shell {
  public:
    explicit started_shell(const std::string& parameters, DWORD mask = SEE_MASK_NOCLOSEPROCESS)
        : parameters_(parameters) {
        info_.cbSize = sizeof info_;
        info_.fMask = mask;
        info_.lpFile = "/bin/sh";
        info_.lpParameters = parameters_.c_str();
        info_.nShow = SW_SHOWNORMAL;
        started_ = ShellExecuteExA(&info_) != FALSE;
        EXPECT_TRUE(started_) << "error " << GetLastError();
    }
    started_shell(const started_shell&) = delete;
    started_shell& operator=(const started_shell&) = delete;
    ~started_shell() {
        if (info_.hProcess != nullptr) {
            CloseHandle(info_.hProcess);
        }
    }

    bool started() const { return started_; }
    HANDLE process() const { return info_.hProcess; }

    DWORD exit_code_at_end() const {
        EXPECT_EQ(WaitForSingleObject(info_.hProcess, INFINITE), WAIT_OBJECT_0);
        DWORD code = 0;
        EXPECT_TRUE(GetExitCodeProcess(info_.hProcess, &code));
        return code;
    }

  private:
    std::string parameters_;
    SHELLEXECUTEINFOA info_{};
    bool started_ = false;
};

// A shell command that waits until the file exists.
std::string wait_for(const std::string& file) {
    return "while [ ! -e '" + posix_form(file) + "' ]; do sleep 0.01; done";
}

TEST(process_waits, see_a_running_child_until_it_ends) {
    const scratch_folder folder;
    const started_shell shell("-c \"" + wait_for(folder / "go") + "; exit 4\"");
    ASSERT_TRUE(shell.started());
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeProcess(shell.process(), &code));
    EXPECT_EQ(code, STILL_ACTIVE);
    EXPECT_EQ(WaitForSingleObject(shell.process(), 0), WAIT_TIMEOUT);
    EXPECT_EQ(WaitForSingleObject(shell.process(), 20), WAIT_TIMEOUT);
    write_file(folder / "go", "");
    EXPECT_EQ(shell.exit_code_at_end(), 4u);
    EXPECT_EQ(WaitForSingleObject(shell.process(), 0), WAIT_OBJECT_0);
}

struct status_case {
    const char* name;
    const char* script;
    DWORD code;
};

class exit_code_of_a_foreign_child : public testing::TestWithParam<status_case> {};

TEST_P(exit_code_of_a_foreign_child, is_its_8_bit_status_or_128_plus_its_signal) {
    const started_shell shell(std::string("-c \"") + GetParam().script + "\"");
    ASSERT_TRUE(shell.started());
    EXPECT_EQ(shell.exit_code_at_end(), GetParam().code);
}

INSTANTIATE_TEST_SUITE_P(statuses, exit_code_of_a_foreign_child,
                         testing::Values(status_case{"zero", "exit 0", 0},
                                         status_case{"seven", "exit 7", 7},
                                         status_case{"top", "exit 255", 255},
                                         status_case{"killed", "kill -KILL $$", 137},
                                         status_case{"terminated", "kill -TERM $$", 143}),
                         [](const testing::TestParamInfo<status_case>& test) {
                             return test.param.name;
                         });

TEST(process_waits, are_not_held_up_by_a_grandchild_holding_the_exit_code_channel) {
    const scratch_folder folder;
    const started_shell shell("-c \"(" + wait_for(folder / "go") +
                              ") >/dev/null 2>&1 </dev/null & exit 3\"");
    ASSERT_TRUE(shell.started());
    EXPECT_EQ(shell.exit_code_at_end(), 3u);
    write_file(folder / "go", "");
}

TEST(shell_execute, passes_the_arguments_split_as_windows_programs_split_them) {
    const scratch_folder folder;
    const std::string out = posix_form(folder / "arguments.txt");
    const started_shell shell(R"(-c "for a; do printf '[%s]' \"$a\"; done > \"$0\"" )" + out +
                              R"( "b c" d\"e "" f\\g "h""i")");
    ASSERT_TRUE(shell.started());
    EXPECT_EQ(shell.exit_code_at_end(), 0u);
    EXPECT_EQ(read_file(folder / "arguments.txt"), R"([b c][d"e][][f\\g][h"i])");
}

TEST(shell_execute, gives_the_child_its_windows_command_line) {
    const scratch_folder folder;
    const std::string out = posix_form(folder / "command-line.txt");
    const std::string parameters = R"(-c "printf %s \"$WIN32_COMMAND_LINE\" > \"$0\"" )" + out;
    const started_shell shell(parameters);
    ASSERT_TRUE(shell.started());
    EXPECT_EQ(shell.exit_code_at_end(), 0u);
    EXPECT_EQ(read_file(folder / "command-line.txt"), "\"/bin/sh\" " + parameters);
}

TEST(shell_execute, starts_without_a_handle_when_none_is_asked_for) {
    const started_shell shell("-c \"exit 0\"", 0);
    EXPECT_TRUE(shell.started());
    EXPECT_EQ(shell.process(), nullptr);
}

TEST(shell_execute, refuses_a_missing_working_folder) {
    const scratch_folder folder;
    const std::string missing = folder / "missing";
    SHELLEXECUTEINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS;
    info.lpFile = "/bin/sh";
    info.lpDirectory = missing.c_str();
    EXPECT_FALSE(ShellExecuteExA(&info));
    EXPECT_EQ(GetLastError(), ERROR_DIRECTORY);
    EXPECT_EQ(info.hProcess, nullptr);
}

struct unstartable_case {
    const char* name;
    const char* content;  // nullptr: a folder
    mode_t mode;
    DWORD error;
};

class unstartable_file : public testing::TestWithParam<unstartable_case> {};

TEST_P(unstartable_file, fails_at_once_with_the_reason) {
    const unstartable_case& c = GetParam();
    const scratch_folder folder;
    const std::string path = folder / "program";
    if (c.content == nullptr) {
        ASSERT_TRUE(CreateDirectoryA(path.c_str(), nullptr));
    } else {
        write_file(path, c.content);
        ASSERT_EQ(::chmod(posix_form(path).c_str(), c.mode), 0);
    }
    SHELLEXECUTEINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS;
    info.lpFile = path.c_str();
    EXPECT_FALSE(ShellExecuteExA(&info));
    EXPECT_EQ(GetLastError(), c.error);
    EXPECT_EQ(info.hProcess, nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    files, unstartable_file,
    testing::Values(unstartable_case{"not_executable", "#!/bin/sh\n", 0644, ERROR_ACCESS_DENIED},
                    unstartable_case{"folder", nullptr, 0, ERROR_ACCESS_DENIED},
                    unstartable_case{"no_program_format", "plain text\n", 0755,
                                     ERROR_BAD_EXE_FORMAT}),
    [](const testing::TestParamInfo<unstartable_case>& test) { return test.param.name; });

TEST(shell_execute, fails_with_path_not_found_for_a_missing_folder_in_the_program_path) {
    const scratch_folder folder;
    const std::string path = folder / "missing\\setup.exe";
    SHELLEXECUTEINFOA info{};
    info.cbSize = sizeof info;
    info.lpFile = path.c_str();
    EXPECT_FALSE(ShellExecuteExA(&info));
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
}

// Started from a shell instead of through ShellExecuteExA, a program of ours
// sees its arguments as typed, and its exit code keeps only 8 bits.
TEST(entry, builds_the_command_line_from_the_arguments_as_typed) {
    const scratch_folder folder;
    SetEnvironmentVariableA("STUBRA_FAKE_INSTALLER_REPORT", (folder / "report.txt").c_str());
    SetEnvironmentVariableA("STUBRA_FAKE_INSTALLER_EXIT_CODE", "0x80000105");
    const started_shell shell(R"(-c "unset WIN32_COMMAND_LINE WIN32_EXIT_CODE_FD; )"
                              R"(exec \"$0\" /S '/V\"A=1 B=2\"'" )" +
                              fake_installer);
    SetEnvironmentVariableA("STUBRA_FAKE_INSTALLER_REPORT", nullptr);
    SetEnvironmentVariableA("STUBRA_FAKE_INSTALLER_EXIT_CODE", nullptr);
    ASSERT_TRUE(shell.started());
    EXPECT_EQ(shell.exit_code_at_end(), 5u);
    const std::string report = read_file(folder / "report.txt");
    EXPECT_NE(report.find("\ncommand line: /S /V\"A=1 B=2\"\n"), std::string::npos) << report;
}

}  // namespace
