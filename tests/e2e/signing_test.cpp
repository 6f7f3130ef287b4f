// A packed stubra.exe stays a valid executable that a publisher can sign with
// Authenticode: signed with osslsigncode and a throwaway certificate, the
// signature verifies against the throwaway CA, and the signed stub still
// loads its package and runs its installer, also with bytes appended behind
// the signature. Windows targets only: the native stub is no PE file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>

#include "tests/e2e/installer_report.hpp"
#include "tests/e2e/packing.hpp"
#include "tests/e2e/process.hpp"
#include "tests/e2e/scenario.hpp"
#include "tests/e2e/target.hpp"

namespace e2e {

namespace {

namespace stdfs = std::filesystem;

// The program's path in PATH; posix_spawn is given full paths.
std::string program_in_path(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string folders = path == nullptr ? "" : path;
    for (std::size_t start = 0; start <= folders.size();) {
        const std::size_t end = std::min(folders.find(':', start), folders.size());
        const stdfs::path candidate = stdfs::path(folders.substr(start, end - start)) / name;
        if (!candidate.parent_path().empty() && stdfs::exists(candidate)) {
            return candidate.string();
        }
        start = end + 1;
    }
    throw std::runtime_error(name + " is not in PATH; scripts/setup-debian.sh installs it");
}

process_result run_tool(const std::vector<std::string>& arguments) {
    process_request request;
    request.arguments = arguments;
    request.arguments.front() = program_in_path(arguments.front());
    return run_process(request);
}

void run_tool_or_fail(const std::vector<std::string>& arguments) {
    const process_result result = run_tool(arguments);
    if (result.exit_code != 0) {
        throw std::runtime_error(arguments.front() + " failed:\n" + result.standard_output +
                                 result.standard_error);
    }
}

// A throwaway CA and a code-signing certificate it issued, valid for a day.
struct certificates {
    std::string ca;
    std::string signer;
    std::string signer_key;
};

certificates make_certificates(const stdfs::path& folder) {
    const certificates made{(folder / "ca.pem").string(), (folder / "signer.pem").string(),
                            (folder / "signer.key").string()};
    const std::string ca_key = (folder / "ca.key").string();
    run_tool_or_fail({"openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "1",
                      "-subj", "/CN=Stubra throwaway CA", "-keyout", ca_key, "-out", made.ca,
                      "-addext", "basicConstraints=critical,CA:TRUE", "-addext",
                      "keyUsage=critical,keyCertSign"});
    run_tool_or_fail({"openssl",  "req",
                      "-x509",    "-newkey",
                      "rsa:2048", "-nodes",
                      "-days",    "1",
                      "-subj",    "/CN=Stubra throwaway publisher",
                      "-CA",      made.ca,
                      "-CAkey",   ca_key,
                      "-keyout",  made.signer_key,
                      "-out",     made.signer,
                      "-addext",  "basicConstraints=CA:FALSE",
                      "-addext",  "keyUsage=critical,digitalSignature",
                      "-addext",  "extendedKeyUsage=codeSigning"});
    return made;
}

class signed_stub : public testing::Test {
  protected:
    void SetUp() override {
        on_ = target_from_environment();
        if (on_->name() == "native") {
            GTEST_SKIP() << "Authenticode signs Windows executables; the native stub is none";
        }
        const auto* info = testing::UnitTest::GetInstance()->current_test_info();
        root_ = stdfs::temp_directory_path() /
                ("stubra-e2e-" + on_->name() + "-signed-" + info->name());
        stdfs::remove_all(root_);
        for (const char* folder : {"pack", "certificates", "temp", "start"}) {
            stdfs::create_directories(root_ / folder);
        }

        scenario row;
        row.name = "signed";
        row.values = {{"executable32", "setup.exe"}, {"parameters", "/S"}};
        row.files = {{"", "setup.exe", content::installer}};
        const std::string packed = pack_scenario(row, *on_, (root_ / "pack").string());

        certificates_ = make_certificates(root_ / "certificates");
        signed_ =
            (root_ / "pack" / ("signed-" + stdfs::path(on_->stub()).filename().string())).string();
        run_tool_or_fail({"osslsigncode", "sign", "-certs", certificates_.signer, "-key",
                          certificates_.signer_key, "-n", "Stubra signing test", "-in", packed,
                          "-out", signed_});
        stdfs::permissions(signed_, stdfs::perms::owner_all, stdfs::perm_options::add);
    }
    void TearDown() override {
        if (!HasFailure() && !IsSkipped()) {
            stdfs::remove_all(root_);
        }
    }

    // Runs the signed stub; its installer must have run with the package's
    // parameters, and its exit code must be the stub's.
    void expect_the_installer_runs() const {
        run_request request;
        request.packed_stub = signed_;
        request.temp_folder = (root_ / "temp").string();
        request.start_folder = (root_ / "start").string();
        request.report_file = (root_ / "report.txt").string();
        request.installer_exit_code = 3;
        const run_outcome outcome = on_->run(request);
        SCOPED_TRACE("the run printed:\n" + outcome.output);

        EXPECT_EQ(outcome.exit_code, 3u);
        EXPECT_EQ(outcome.message_boxes, std::vector<message_box>{});
        const std::optional<installer_report> report = read_installer_report(request.report_file);
        ASSERT_TRUE(report.has_value());
        EXPECT_EQ(report->command_line, " /S/V\"\"");
        EXPECT_EQ(report->working_folder, on_->windows_path(request.temp_folder));
    }

    std::unique_ptr<target> on_;
    stdfs::path root_;
    certificates certificates_;
    std::string signed_;
};

TEST_F(signed_stub, verifies_against_the_issuing_ca) {
    const process_result verified =
        run_tool({"osslsigncode", "verify", "-CAfile", certificates_.ca, "-in", signed_});
    EXPECT_EQ(verified.exit_code, 0u) << verified.standard_output << verified.standard_error;
    EXPECT_NE(verified.standard_output.find("Signature verification: ok"), std::string::npos)
        << verified.standard_output;
}

TEST_F(signed_stub, loads_its_package_and_runs_its_installer) {
    expect_the_installer_runs();
}

TEST_F(signed_stub, runs_its_installer_with_bytes_appended_behind_the_signature) {
    std::ofstream(signed_, std::ios::binary | std::ios::app) << std::string(517, '\x5A');
    expect_the_installer_runs();
}

}  // namespace

}  // namespace e2e
