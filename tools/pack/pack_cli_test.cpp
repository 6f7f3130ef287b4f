#include "tools/pack/pack_cli.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "package/extract_package.hpp"
#include "package/md5.hpp"
#include "tools/pack/package_writer.hpp"

namespace {

namespace stdfs = std::filesystem;

using arguments = std::vector<std::string>;

const std::string stub_image = "MZ stub image" + std::string(100, '\0');

void write_bytes(const stdfs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string read_bytes(const stdfs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct pack_run {
    int status;
    std::string out;
    std::string err;
};

pack_run pack(const arguments& args) {
    std::ostringstream out;
    std::ostringstream err;
    const int status = pack_main(args, out, err);
    return {status, out.str(), err.str()};
}

// A folder of the test's own holding an executable stub and two sources.
class pack_cli_test : public testing::Test {
  protected:
    void SetUp() override {
        std::string name = testing::UnitTest::GetInstance()->current_test_info()->name();
        // A random suffix keeps runs of the same test at the same time apart.
        std::random_device random;
        folder_ = stdfs::temp_directory_path() /
                  ("stubra-pack-cli-" + name + "-" + std::to_string(random()));
        ASSERT_TRUE(stdfs::create_directory(folder_)) << folder_;
        write_bytes(path("stub.exe"), stub_image);
        stdfs::permissions(path("stub.exe"), stdfs::perms::owner_all | stdfs::perms::group_read |
                                                 stdfs::perms::group_exec);
        write_bytes(path("installer.exe"), std::string("MZ installer\0\r\n", 15));
        write_bytes(path("readme.txt"), "read me");
        original_entries_ = entries();
    }

    void TearDown() override { stdfs::remove_all(folder_); }

    std::string path(const std::string& name) const { return (folder_ / name).string(); }

    std::vector<std::string> entries() const {
        std::vector<std::string> names;
        for (const auto& entry : stdfs::directory_iterator(folder_)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    // The folder holds what it held before the test, and the names given.
    void expect_entries_besides_originals(std::vector<std::string> added) const {
        added.insert(added.end(), original_entries_.begin(), original_entries_.end());
        std::sort(added.begin(), added.end());
        EXPECT_EQ(entries(), added);
    }

    arguments build_arguments(const arguments& records) const {
        arguments args = {"build", "--stub", path("stub.exe"), "--output", path("out.exe")};
        args.insert(args.end(), records.begin(), records.end());
        return args;
    }

    stdfs::path folder_;
    std::vector<std::string> original_entries_;
};

TEST_F(pack_cli_test, builds_the_stub_record_the_records_in_order_and_the_marker) {
    const pack_run run =
        pack(build_arguments({"--value", "parameters=/qn ALLUSERS=1", "--file", "executable32",
                              "setup.exe", path("installer.exe"), "--value", "msilog=", "--file",
                              "", "readme.txt", path("readme.txt")}));

    EXPECT_EQ(run.status, pack_success);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "");
    std::ostringstream expected;
    package_writer writer(expected);
    writer.bytes(stub_image);
    writer.stub_record();
    writer.value_record("parameters", "/qn ALLUSERS=1");
    writer.file_record("executable32", "setup.exe", read_bytes(path("installer.exe")));
    writer.value_record("msilog", "");
    writer.file_record("", "readme.txt", "read me");
    writer.marker();
    EXPECT_EQ(read_bytes(path("out.exe")), expected.str());
    EXPECT_EQ(stdfs::status(path("out.exe")).permissions(),
              stdfs::status(path("stub.exe")).permissions());
    expect_entries_besides_originals({"out.exe"});
}

TEST_F(pack_cli_test, lists_what_it_built_as_the_stub_reads_it) {
    ASSERT_EQ(
        pack(build_arguments({"--value", "parameters=/qn", "--file", "executable32", "setup.exe",
                              path("installer.exe"), "--value", "note=\"quoted\" \\ and \x01"}))
            .status,
        pack_success);

    const pack_run run = pack({"list", path("out.exe")});

    EXPECT_EQ(run.status, pack_success);
    EXPECT_EQ(run.out,
              "marker, md5 ok\n"
              "value key \"note\", value \"\\\"quoted\\\" \\\\ and \\x01\" (16 bytes), md5 ok\n"
              "file key \"executable32\", name \"setup.exe\", content 15 bytes, md5 ok\n"
              "value key \"parameters\", value \"/qn\" (3 bytes), md5 ok\n"
              "stub, chunk 0 bytes, md5 ok\n"
              "valid\n");
    EXPECT_EQ(run.err, "");
}

TEST_F(pack_cli_test, builds_what_the_stub_extracts) {
    ASSERT_EQ(pack(build_arguments({"--value", "parameters=/first", "--value", "parameters=/second",
                                    "--file", "executable32", "setup.exe", path("installer.exe")}))
                  .status,
              pack_success);
    stdfs::create_directory(folder_ / "work");
    value_map values;

    EXPECT_TRUE(extract_package(path("out.exe"), path("work") + "/", values));
    EXPECT_EQ(*values.find("parameters"), "/second");
    EXPECT_EQ(*values.find("executable32"), "setup.exe");
    EXPECT_EQ(read_bytes(folder_ / "work" / "setup.exe"), read_bytes(path("installer.exe")));
}

TEST_F(pack_cli_test, prints_its_usage_on_request) {
    for (const arguments& args : {arguments{"--help"}, arguments{"-h"},
                                  arguments{"build", "--help"}, arguments{"list", "--help"}}) {
        const pack_run run = pack(args);

        EXPECT_EQ(run.status, pack_success);
        EXPECT_EQ(run.out.rfind("Usage: stubra-pack build --stub STUB --output OUT", 0), 0u);
        EXPECT_NE(run.out.find("at most 2147483644 bytes"), std::string::npos);
        EXPECT_EQ(run.err, "");
    }
}

TEST_F(pack_cli_test, names_the_argument_it_does_not_understand) {
    struct usage_case {
        arguments args;
        std::string message;
    };
    const std::string stub = path("stub.exe");
    const std::string out = path("out.exe");
    const usage_case cases[] = {
        {{}, "missing command: build or list"},
        {{"pack"}, "unknown command 'pack'"},
        {{"build", "--output", out}, "build needs --stub STUB"},
        {{"build", "--stub", stub}, "build needs --output OUT"},
        {{"build", "--stub"}, "--stub needs STUB"},
        {{"build", "--stub", "", "--output", out}, "--stub needs a non-empty STUB"},
        {{"build", "--stub", stub, "--stub", stub}, "--stub given twice"},
        {{"build", "--stub", stub, "--output", out, "--verbose"},
         "build: unknown argument '--verbose'"},
        {{"build", "--stub", stub, "--output", out, "--value", "parameters"},
         "--value needs KEY=VALUE, not 'parameters'"},
        {{"build", "--stub", stub, "--output", out, "--value"}, "--value needs KEY=VALUE"},
        {{"build", "--stub", stub, "--output", out, "--file", "key", "name"},
         "--file needs KEY NAME SOURCE"},
        {{"list"}, "list needs the packed file"},
        {{"list", out, "other.exe"}, "list takes one file, not also 'other.exe'"},
    };
    for (const usage_case& c : cases) {
        SCOPED_TRACE(c.message);
        const pack_run run = pack(c.args);

        EXPECT_EQ(run.status, pack_usage_error);
        EXPECT_EQ(run.err, "stubra-pack: " + c.message + "\nTry 'stubra-pack --help'.\n");
        EXPECT_EQ(run.out, "");
        expect_entries_besides_originals({});
    }
}

TEST_F(pack_cli_test, names_the_input_it_cannot_use_and_leaves_nothing_behind) {
    struct failure_case {
        arguments records;
        std::string message;
    };
    stdfs::create_directory(folder_ / "folder");
    original_entries_ = entries();
    const failure_case cases[] = {
        {{"--file", "k", "setup.exe", path("missing.bin")},
         "cannot read '" + path("missing.bin") + "': No such file or directory"},
        {{"--file", "k", "setup.exe", path("folder")},
         "cannot read '" + path("folder") + "': Is a directory"},
        {{"--file", "k", "..\\setup.exe", path("installer.exe")},
         "refused file name '..\\setup.exe': a \"..\" component; the stub would not extract it"},
        {{"--value", "a=1", "--file", "k", "C:\\setup.exe", path("installer.exe")},
         "refused file name 'C:\\setup.exe': a drive or stream colon; the stub would not extract "
         "it"},
        {{"--file", "k", "/etc/setup.exe", path("installer.exe")},
         "refused file name '/etc/setup.exe': a rooted path; the stub would not extract it"},
        {{"--file", "k", "NUL", path("installer.exe")},
         "refused file name 'NUL': a device name; the stub would not extract it"},
        {{"--file", "k", "", path("installer.exe")},
         "refused file name '': an empty name; the stub would not extract it"},
    };
    for (const failure_case& c : cases) {
        SCOPED_TRACE(c.message);
        const pack_run run = pack(build_arguments(c.records));

        EXPECT_EQ(run.status, pack_failure);
        EXPECT_EQ(run.err, "stubra-pack: " + c.message + "\n");
        expect_entries_besides_originals({});
    }
}

TEST_F(pack_cli_test, names_a_missing_stub) {
    const pack_run run =
        pack({"build", "--stub", path("missing.exe"), "--output", path("out.exe")});

    EXPECT_EQ(run.status, pack_failure);
    EXPECT_EQ(run.err, "stubra-pack: cannot read '" + path("missing.exe") +
                           "': No such file or directory\n");
    expect_entries_besides_originals({});
}

TEST_F(pack_cli_test, names_an_output_it_cannot_write) {
    const std::string output = path("no-such-folder") + "/out.exe";
    const pack_run run = pack({"build", "--stub", path("stub.exe"), "--output", output});

    EXPECT_EQ(run.status, pack_failure);
    EXPECT_EQ(run.err.rfind("stubra-pack: cannot write '" + output + ".tmp-", 0), 0u) << run.err;
    EXPECT_NE(run.err.find("': No such file or directory\n"), std::string::npos) << run.err;
    expect_entries_besides_originals({});
}

// Sparse files stand for the large inputs: the sizes are refused before a
// byte of them is read.
TEST_F(pack_cli_test, refuses_a_payload_a_chunk_cannot_hold) {
    stdfs::resize_file(path("readme.txt"), 0x7FFFFFFDu);
    const pack_run run = pack(build_arguments({"--file", "k", "big.bin", path("readme.txt")}));

    EXPECT_EQ(run.status, pack_failure);
    EXPECT_EQ(run.err, "stubra-pack: '" + path("readme.txt") +
                           "': a payload of 2147483645 bytes is more than a chunk holds "
                           "(2147483644 bytes)\n");
    expect_entries_besides_originals({});
}

TEST_F(pack_cli_test, refuses_a_packed_file_of_4_gib_or_more) {
    stdfs::resize_file(path("readme.txt"), 0x7FFFFFFCu);
    stdfs::resize_file(path("installer.exe"), 0x7FFFFFFCu);
    const pack_run run = pack(build_arguments({"--file", "a", "a.bin", path("readme.txt"), "--file",
                                               "b", "b.bin", path("installer.exe")}));

    EXPECT_EQ(run.status, pack_failure);
    EXPECT_NE(run.err.find("stubra-pack: '" + path("out.exe") + "': a packed file of "),
              std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("more than 32-bit file positions reach (4294967295 bytes)\n"),
              std::string::npos)
        << run.err;
    expect_entries_besides_originals({});
}

class pack_list_test : public pack_cli_test {
  protected:
    void write_package(void (*build)(package_writer&)) {
        std::ofstream out(path("packed.exe"), std::ios::binary);
        package_writer writer(out);
        build(writer);
    }
};

TEST_F(pack_list_test, tells_why_a_package_is_invalid) {
    struct list_case {
        void (*build)(package_writer&);
        std::string lines;
        int status;
    };
    const list_case cases[] = {
        {[](package_writer& writer) { writer.bytes(stub_image); }, "invalid: no marker found\n",
         pack_failure},
        {[](package_writer& writer) {
             writer.bytes(stub_image);
             writer.stub_record();
             writer.chunk_with_digest("/qn", std::string(16, '\0'));
             writer.chunk("parameters");
             writer.chunk("value");
             writer.marker();
         },
         "marker, md5 ok\ninvalid: md5 mismatch in the value chunk ending at offset " +
             std::to_string(stub_image.size() + 20 + 24 + 23) + "\n",
         pack_failure},
        {[](package_writer& writer) {
             writer.bytes(stub_image);
             writer.stub_record();
             writer.file_record("", "..\\x.txt", "x");
             writer.marker();
         },
         "marker, md5 ok\n"
         "file key \"\", name \"..\\\\x.txt\", content 1 bytes, md5 ok\n"
         "invalid: file name \"..\\\\x.txt\" is refused: a \"..\" component\n",
         pack_failure},
        {[](package_writer& writer) {
             writer.bytes(std::string(30, 'x'));
             writer.record("comment", "k");
             writer.marker();
         },
         "marker, md5 ok\n"
         "other tag \"comment\", key \"k\", skipped, md5 ok\n"
         "valid, but no stub record: the walk ended at the tag chunk ending at offset 30, which "
         "cannot be read\n",
         pack_success},
    };
    for (const list_case& c : cases) {
        SCOPED_TRACE(c.lines);
        write_package(c.build);
        const pack_run run = pack({"list", path("packed.exe")});

        EXPECT_EQ(run.out, c.lines);
        EXPECT_EQ(run.status, c.status);
        EXPECT_EQ(run.err, "");
    }
}

TEST_F(pack_list_test, names_a_file_it_cannot_open) {
    const pack_run run = pack({"list", path("missing.exe")});

    EXPECT_EQ(run.status, pack_failure);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "stubra-pack: cannot open '" + path("missing.exe") +
                           "': The system cannot find the file specified.\n");
}

}  // namespace
