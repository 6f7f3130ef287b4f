#include <gtest/gtest.h>

#include <string>

#include "platform/test_scratch_folder.hpp"
#include "platform/win32.hpp"

namespace {

const std::string fake_installer = STUBRA_FAKE_INSTALLER;

// Clears the fake installer's variables before and after each test.
class fake_installer_run : public testing::Test {
  protected:
    void SetUp() override { clear_variables(); }
    void TearDown() override { clear_variables(); }

    static void set_variable(const char* name, const std::string& value) {
        ASSERT_TRUE(SetEnvironmentVariableA(name, value.c_str()));
    }

  private:
    static void clear_variables() {
        SetEnvironmentVariableA("STUBRA_FAKE_INSTALLER_EXIT_CODE", nullptr);
        SetEnvironmentVariableA("STUBRA_FAKE_INSTALLER_REPORT", nullptr);
    }
};

// A launch record and the texts it points to.
class launch {
  public:
    launch(std::string file, std::string parameters, std::string folder)
        : file_(std::move(file)), parameters_(std::move(parameters)), folder_(std::move(folder)) {
        info.cbSize = sizeof info;
        info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
        info.lpFile = file_.c_str();
        info.lpParameters = parameters_.c_str();
        info.lpDirectory = folder_.empty() ? nullptr : folder_.c_str();
        info.nShow = SW_SHOWNORMAL;
    }
    launch(const launch&) = delete;
    launch& operator=(const launch&) = delete;

    SHELLEXECUTEINFOA info{};

  private:
    std::string file_;
    std::string parameters_;
    std::string folder_;
};

// Starts the file, waits for it without limit and gives its exit code.
DWORD run_to_end(const std::string& file, const std::string& parameters = "",
                 const std::string& folder = "") {
    launch started(file, parameters, folder);
    EXPECT_TRUE(ShellExecuteExA(&started.info)) << "error " << GetLastError();
    EXPECT_NE(started.info.hProcess, nullptr);
    EXPECT_EQ(WaitForSingleObject(started.info.hProcess, INFINITE), WAIT_OBJECT_0);
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeProcess(started.info.hProcess, &code));
    EXPECT_TRUE(CloseHandle(started.info.hProcess));
    return code;
}

class exit_code_of_the_installer : public fake_installer_run,
                                   public testing::WithParamInterface<DWORD> {};

TEST_P(exit_code_of_the_installer, arrives_with_all_32_bits) {
    set_variable("STUBRA_FAKE_INSTALLER_EXIT_CODE", std::to_string(GetParam()));
    EXPECT_EQ(run_to_end(fake_installer), GetParam());
}

INSTANTIATE_TEST_SUITE_P(codes, exit_code_of_the_installer,
                         testing::Values(0u, 1u, 255u, 256u, 3010u, 0x80000005u, 0xFFFFFFFEu));

TEST_F(fake_installer_run, exit_code_defaults_to_zero_and_reads_hexadecimal) {
    EXPECT_EQ(run_to_end(fake_installer), 0u);
    set_variable("STUBRA_FAKE_INSTALLER_EXIT_CODE", "0x1F4");
    EXPECT_EQ(run_to_end(fake_installer), 500u);
}

TEST_F(fake_installer_run, starts_in_the_working_folder_with_its_parameters) {
    const scratch_folder reports;
    const scratch_folder working;
    set_variable("STUBRA_FAKE_INSTALLER_REPORT", reports / "report.txt");
    run_to_end(fake_installer, "/S /V\"A=1 B=2\"", working.path());
    const std::string report = read_file(reports / "report.txt");
    EXPECT_NE(report.find("command line: /S /V\"A=1 B=2\"\n"), std::string::npos) << report;
    EXPECT_NE(report.find("working folder: " + working.path() + "\n"), std::string::npos) << report;
}

TEST_F(fake_installer_run, reports_the_entries_beside_it_sorted) {
    const scratch_folder installer_folder;
    const scratch_folder reports;
    const std::string copy = installer_folder / "setup.exe";
    write_file(copy, read_file(fake_installer));
    write_file(installer_folder / "B.dat", "");
    write_file(installer_folder / "a.dat", "");
    ASSERT_TRUE(CreateDirectoryA((installer_folder / "data").c_str(), nullptr));
    set_variable("STUBRA_FAKE_INSTALLER_REPORT", reports / "report.txt");
    run_to_end(copy, "", installer_folder.path());
    EXPECT_EQ(read_file(reports / "report.txt"), "program: " + copy + "\n" +
                                                     "command line: \n"
                                                     "working folder: " +
                                                     installer_folder.path() +
                                                     "\n"
                                                     "file: B.dat\n"
                                                     "file: a.dat\n"
                                                     "file: data\n"
                                                     "file: setup.exe\n");
}

TEST(shell_execute, fails_with_file_not_found_for_a_missing_program) {
    const scratch_folder folder;
    launch missing(folder / "missing.exe", "", "");
    EXPECT_FALSE(ShellExecuteExA(&missing.info));
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST(shell_execute, fails_for_an_empty_file_name) {
    launch empty("", "", "");
    EXPECT_FALSE(ShellExecuteExA(&empty.info));
}

TEST(process_handles, a_null_or_closed_handle_fails_waits_and_exit_codes) {
    EXPECT_EQ(WaitForSingleObject(nullptr, 0), WAIT_FAILED);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    launch installer(fake_installer, "", "");
    ASSERT_TRUE(ShellExecuteExA(&installer.info));
    const HANDLE process = installer.info.hProcess;
    ASSERT_EQ(WaitForSingleObject(process, INFINITE), WAIT_OBJECT_0);
    ASSERT_TRUE(CloseHandle(process));
    EXPECT_EQ(WaitForSingleObject(process, INFINITE), WAIT_FAILED);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    DWORD code = 0;
    EXPECT_FALSE(GetExitCodeProcess(process, &code));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST(current_process, is_the_pseudo_handle_that_needs_no_closing) {
    HANDLE self = GetCurrentProcess();
    EXPECT_EQ(self, reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-1)));
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeProcess(self, &code));
    EXPECT_EQ(code, STILL_ACTIVE);
    EXPECT_TRUE(CloseHandle(self));
}

TEST(modules, kernel32_is_there_and_unknown_entries_are_not) {
    HMODULE kernel32 = GetModuleHandleA("kernel32");
    ASSERT_NE(kernel32, nullptr);
    EXPECT_EQ(GetProcAddress(kernel32, "NoSuchEntryPoint"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_PROC_NOT_FOUND);
}

}  // namespace
