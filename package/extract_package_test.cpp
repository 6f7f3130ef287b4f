#include "package/extract_package.hpp"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "package/md5.hpp"
#include "package/package_fixture.hpp"
#include "platform/win32.hpp"

namespace {

using entries = std::vector<std::string>;
using value_list = std::map<std::string, std::string>;

value_list all_values(const value_map& values) {
    return value_list(values.begin(), values.end());
}

class extract_package_test : public package_fixture {
  protected:
    void SetUp() override {
        package_fixture::SetUp();
        values_.subscript("source") = work_.substr(0, work_.size() - 1);
        values_.subscript("commandline") = "/S";
        seeds_ = all_values(values_);
    }

    // The seeds and the given values.
    value_list seeds_and(const value_list& added) const {
        value_list expected = seeds_;
        expected.insert(added.begin(), added.end());
        return expected;
    }

    value_list seeds_;
};

TEST_F(extract_package_test, a_package_of_just_the_marker_is_valid_and_changes_nothing) {
    write_records([](package_writer&) {});

    EXPECT_TRUE(extract());
    EXPECT_EQ(all_values(values_), seeds_);
    EXPECT_EQ(folder_entries(work_), entries{});
}

TEST_F(extract_package_test, extracts_values_and_files) {
    const std::string content("MZ\0\r\n\xff binary", 14);
    write_records([&](package_writer& writer) {
        writer.value_record("parameters", "/qn");
        writer.file_record("executable32", "setup.exe", content);
        writer.file_record("", "readme.txt", "read me");
        writer.value_record("", "");
    });

    EXPECT_TRUE(extract());
    EXPECT_EQ(all_values(values_),
              seeds_and({{"parameters", "/qn"}, {"executable32", "setup.exe"}, {"", ""}}));
    EXPECT_EQ(folder_entries(work_), (entries{"readme.txt", "setup.exe"}));
    EXPECT_EQ(read_file(work_ + "setup.exe"), content);
    EXPECT_EQ(read_file(work_ + "readme.txt"), "read me");
}

TEST_F(extract_package_test, extracts_empty_payloads) {
    write_records([](package_writer& writer) {
        writer.file_record("empty", "empty.bin", "");
        writer.value_record("blank", "");
    });

    EXPECT_TRUE(extract());
    EXPECT_EQ(all_values(values_), seeds_and({{"empty", "empty.bin"}, {"blank", ""}}));
    EXPECT_EQ(read_file(work_ + "empty.bin"), "");
}

TEST_F(extract_package_test, extracts_content_of_many_blocks_whole) {
    std::string content(256 * 1024 + 17, '\0');
    for (std::size_t i = 0; i < content.size(); ++i) {
        content[i] = static_cast<char>(i * 7 % 251);
    }
    write_records([&](package_writer& writer) { writer.file_record("big", "big.bin", content); });

    EXPECT_TRUE(extract());
    EXPECT_TRUE(read_file(work_ + "big.bin") == content);
}

TEST_F(extract_package_test, ignores_trailing_bytes_after_the_marker) {
    const std::string trailers[] = {
        std::string(1, '\0'),
        std::string(8192, '\0'),
        "signature bytes of any content",
        "chunked-installer-tai",
        std::string("\x30\x82\x1f\x00", 4) + std::string(6000, '\xA5'),
    };
    for (const std::string& trailer : trailers) {
        SCOPED_TRACE(trailer.size());
        write_package([&](package_writer& writer) {
            writer.bytes(fake_image());
            writer.stub_record();
            writer.value_record("parameters", "/qn");
            writer.marker();
            writer.bytes(trailer);
        });
        value_map values;

        EXPECT_TRUE(extract_package(package_, work_, values));
        EXPECT_EQ(all_values(values), (value_list{{"parameters", "/qn"}}));
    }
}

TEST_F(extract_package_test, a_marker_chunk_with_a_bad_digest_processes_no_record) {
    write_package([](package_writer& writer) {
        writer.bytes(fake_image());
        writer.stub_record();
        writer.value_record("parameters", "/qn");
        writer.chunk_with_digest("chunked-installer-tail", md5("something else").raw_digest());
    });

    EXPECT_FALSE(extract());
    EXPECT_EQ(all_values(values_), seeds_);
}

TEST_F(extract_package_test, a_bad_digest_ends_the_walk_after_the_records_nearer_the_marker) {
    write_records([](package_writer& writer) {
        writer.value_record("before", "never read");
        writer.chunk_with_digest("bad", std::string(16, '\0'));
        writer.chunk("key of the bad value");
        writer.chunk("value");
        writer.value_record("after", "read first");
    });

    EXPECT_FALSE(extract());
    EXPECT_EQ(all_values(values_), seeds_and({{"after", "read first"}}));
}

TEST_F(extract_package_test, of_two_values_with_one_key_the_one_nearer_the_marker_wins) {
    write_records([](package_writer& writer) {
        writer.value_record("parameters", "earlier in the file");
        writer.value_record("parameters", "nearer the marker");
    });

    EXPECT_TRUE(extract());
    EXPECT_EQ(all_values(values_), seeds_and({{"parameters", "nearer the marker"}}));
}

TEST_F(extract_package_test, the_runs_own_values_are_never_replaced) {
    write_records([](package_writer& writer) {
        writer.value_record("source", "C:\\elsewhere");
        writer.value_record("commandline", "/evil");
        writer.file_record("source", "source.txt", "x");
    });

    EXPECT_TRUE(extract());
    EXPECT_EQ(all_values(values_), seeds_);
    EXPECT_EQ(folder_entries(work_), entries{"source.txt"});
}

TEST_F(extract_package_test, of_two_files_with_one_name_the_earlier_in_the_file_ends_on_disk) {
    write_records([](package_writer& writer) {
        writer.file_record("first", "setup.exe", "earlier in the file");
        writer.file_record("second", "setup.exe", "nearer the marker");
    });

    EXPECT_TRUE(extract());
    EXPECT_EQ(read_file(work_ + "setup.exe"), "earlier in the file");
    EXPECT_EQ(all_values(values_), seeds_and({{"first", "setup.exe"}, {"second", "setup.exe"}}));
}

TEST_F(extract_package_test, of_two_files_with_one_key_the_map_names_the_one_nearer_the_marker) {
    write_records([](package_writer& writer) {
        writer.file_record("executable32", "old.exe", "old");
        writer.file_record("executable32", "new.exe", "new");
    });

    EXPECT_TRUE(extract());
    EXPECT_EQ(all_values(values_), seeds_and({{"executable32", "new.exe"}}));
    EXPECT_EQ(folder_entries(work_), (entries{"new.exe", "old.exe"}));
}

TEST_F(extract_package_test, a_file_with_an_empty_key_is_extracted_but_not_named) {
    write_records([](package_writer& writer) { writer.file_record("", "data.bin", "data"); });

    EXPECT_TRUE(extract());
    EXPECT_EQ(all_values(values_), seeds_);
    EXPECT_EQ(read_file(work_ + "data.bin"), "data");
}

TEST_F(extract_package_test, a_file_in_an_existing_folder_is_extracted_with_either_separator) {
    ASSERT_TRUE(CreateDirectoryA((work_ + "data").c_str(), nullptr));
    write_records([](package_writer& writer) {
        writer.file_record("", "data\\back.txt", "back");
        writer.file_record("", "data/forward.txt", "forward");
    });

    EXPECT_TRUE(extract());
    EXPECT_EQ(folder_entries(work_ + "data\\"), (entries{"back.txt", "forward.txt"}));
}

TEST_F(extract_package_test, a_file_in_a_missing_folder_fails_and_creates_no_folder) {
    write_records([](package_writer& writer) {
        writer.value_record("before", "not read");
        writer.file_record("installer", "missing\\setup.exe", "x");
    });

    EXPECT_FALSE(extract());
    EXPECT_EQ(folder_entries(work_), entries{});
    EXPECT_EQ(all_values(values_), seeds_and({{"installer", "missing\\setup.exe"}}));
}

TEST_F(extract_package_test, refuses_names_that_lead_outside_the_work_folder) {
    const std::string names[] = {
        "..\\escaped.txt",
        "../escaped.txt",
        "data\\..\\..\\escaped.txt",
        "...\\escaped.txt",
        "\\escaped.txt",
        "/escaped.txt",
        "\\\\server\\share\\escaped.txt",
        "C:escaped.txt",
        "C:\\escaped.txt",
        "escaped.txt:stream",
        "NUL",
        "con.txt",
        "",
    };
    ASSERT_TRUE(CreateDirectoryA((work_ + "data").c_str(), nullptr));
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        write_records([&](package_writer& writer) {
            writer.file_record("", "after.txt", "never written");
            writer.file_record("refused", name, "escaped");
        });
        value_map values;

        EXPECT_FALSE(extract_package(package_, work_, values));
        EXPECT_EQ(folder_entries(scratch_), (entries{"packed.exe", "work"}));
        EXPECT_EQ(folder_entries(work_), entries{"data"});
        EXPECT_EQ(folder_entries(work_ + "data\\"), entries{});
        EXPECT_EQ(all_values(values), (value_list{{"refused", name}}));
    }
}

TEST_F(extract_package_test, a_record_with_another_tag_consumes_its_tag_and_key) {
    write_records([](package_writer& writer) {
        writer.value_record("earlier", "read after the other record");
        writer.record("comment", "a key nobody reads");
        writer.record("", "");
        writer.value_record("later", "read before it");
    });

    EXPECT_TRUE(extract());
    EXPECT_EQ(all_values(values_),
              seeds_and({{"earlier", "read after the other record"}, {"later", "read before it"}}));
}

TEST_F(extract_package_test, a_marker_among_the_records_keeps_the_package_valid) {
    write_records([](package_writer& writer) {
        writer.value_record("earlier", "1");
        writer.marker();
        writer.value_record("later", "2");
    });

    EXPECT_TRUE(extract());
    EXPECT_EQ(all_values(values_), seeds_and({{"earlier", "1"}, {"later", "2"}}));
}

TEST_F(extract_package_test, without_a_stub_record_the_walk_runs_into_the_image_and_fails) {
    write_package([](package_writer& writer) {
        writer.bytes(fake_image());
        writer.value_record("parameters", "/qn");
        writer.marker();
    });

    EXPECT_FALSE(extract());
    EXPECT_EQ(all_values(values_), seeds_and({{"parameters", "/qn"}}));
}

TEST_F(extract_package_test, a_stub_chunk_with_a_bad_digest_fails) {
    write_package([](package_writer& writer) {
        writer.bytes(fake_image());
        writer.chunk_with_digest("", md5("not empty").raw_digest());
        writer.chunk("stub");
        writer.marker();
    });

    EXPECT_FALSE(extract());
}

TEST_F(extract_package_test, the_stub_record_ends_the_walk) {
    write_package([](package_writer& writer) {
        writer.bytes(fake_image());
        writer.value_record("inside the image", "never read");
        writer.chunk("anything the packer stored");
        writer.chunk("stub");
        writer.value_record("parameters", "/qn");
        writer.marker();
    });

    EXPECT_TRUE(extract());
    EXPECT_EQ(all_values(values_), seeds_and({{"parameters", "/qn"}}));
}

TEST_F(extract_package_test, a_file_without_a_marker_fails) {
    for (const std::string& bytes : {fake_image(), std::string("short"), std::string()}) {
        SCOPED_TRACE(bytes.size());
        write_package([&](package_writer& writer) { writer.bytes(bytes); });

        EXPECT_FALSE(extract());
        EXPECT_EQ(all_values(values_), seeds_);
    }
}

TEST_F(extract_package_test, a_marker_too_near_the_start_or_the_end_is_not_found) {
    const std::string marker = "chunked-installer-tail";
    for (const std::string& bytes :
         {std::string(22, ' ') + marker + std::string(20, '\0'), fake_image() + marker}) {
        write_package([&](package_writer& writer) { writer.bytes(bytes); });

        EXPECT_FALSE(extract());
    }
}

// An executable without a package may still hold the marker text among its
// constant data; what follows the text is no verified chunk.
TEST_F(extract_package_test, the_marker_text_without_its_chunk_is_no_package) {
    const std::string marker = "chunked-installer-tail";
    for (const std::string& after : {std::string(200, 'x'), std::string(200, '\0')}) {
        write_package([&](package_writer& writer) {
            writer.bytes(fake_image() + marker + after + fake_image());
        });

        EXPECT_FALSE(extract());
        EXPECT_EQ(all_values(values_), seeds_);
        EXPECT_EQ(folder_entries(work_), entries{});
    }
}

TEST_F(extract_package_test, a_missing_package_file_fails) {
    EXPECT_FALSE(extract_package(scratch_ + "missing.exe", work_, values_));
    EXPECT_EQ(all_values(values_), seeds_);
}

}  // namespace
