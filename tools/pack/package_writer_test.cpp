#include "tools/pack/package_writer.hpp"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "package/md5.hpp"

namespace {

std::string written(void (*write)(package_writer&)) {
    std::ostringstream out;
    package_writer writer(out);
    write(writer);
    EXPECT_EQ(writer.size(), out.str().size());
    return out.str();
}

std::string le32(std::uint32_t value) {
    return {static_cast<char>(value & 0xFF), static_cast<char>((value >> 8) & 0xFF),
            static_cast<char>((value >> 16) & 0xFF), static_cast<char>(value >> 24)};
}

std::string expected_chunk(const std::string& payload) {
    return payload + le32(static_cast<std::uint32_t>(payload.size())) + md5(payload).raw_digest();
}

TEST(package_writer, writes_a_chunk_as_payload_length_and_digest) {
    const std::string bytes = written([](package_writer& writer) { writer.chunk("abc"); });

    EXPECT_EQ(bytes.size(), 3u + 20u);
    EXPECT_EQ(bytes.substr(0, 7), std::string("abc\x03\0\0\0", 7));
    EXPECT_EQ(hex_encode(bytes.substr(7)), "900150983cd24fb0d6963f7d28e17f72");
}

TEST(package_writer, writes_the_marker_chunk_as_the_format_has_it) {
    const std::string bytes = written([](package_writer& writer) { writer.marker(); });

    EXPECT_EQ(bytes.size(), 42u);
    EXPECT_EQ(bytes.substr(0, 26), std::string("chunked-installer-tail\x16\0\0\0", 26));
    EXPECT_EQ(bytes.substr(26), md5("chunked-installer-tail").raw_digest());
}

TEST(package_writer, writes_the_chunks_of_each_record_in_file_order) {
    struct record_case {
        const char* what;
        void (*write)(package_writer&);
        std::string expected;
    };
    const record_case cases[] = {
        {"stub", [](package_writer& writer) { writer.stub_record(); },
         expected_chunk("") + expected_chunk("stub")},
        {"value", [](package_writer& writer) { writer.value_record("key", "value text"); },
         expected_chunk("value text") + expected_chunk("key") + expected_chunk("value")},
        {"file", [](package_writer& writer) { writer.file_record("key", "setup.exe", "MZ"); },
         expected_chunk("MZ") + expected_chunk("setup.exe") + expected_chunk("key") +
             expected_chunk("file")},
        {"other", [](package_writer& writer) { writer.record("comment", "key"); },
         expected_chunk("key") + expected_chunk("comment")},
        {"raw", [](package_writer& writer) { writer.bytes(std::string("MZ\0", 3)); },
         std::string("MZ\0", 3)},
        {"given digest",
         [](package_writer& writer) { writer.chunk_with_digest("x", std::string(16, '\xAA')); },
         "x" + le32(1) + std::string(16, '\xAA')},
    };
    for (const record_case& c : cases) {
        EXPECT_EQ(written(c.write), c.expected) << c.what;
    }
}

TEST(package_writer, writes_any_length_into_a_trailer) {
    EXPECT_EQ(chunk_trailer(0x80000001u, std::string(16, 'd')),
              std::string("\x01\0\0\x80", 4) + std::string(16, 'd'));
}

TEST(package_size_checks, accept_sizes_within_the_formats_limits) {
    EXPECT_NO_THROW(check_payload_size(0));
    EXPECT_NO_THROW(check_payload_size(0x7FFFFFFCu));
    EXPECT_NO_THROW(check_packed_size(0xFFFFFFFFu));
}

TEST(package_size_checks, refuse_sizes_beyond_the_formats_limits) {
    EXPECT_THROW(check_payload_size(0x7FFFFFFDu), package_size_error);
    EXPECT_THROW(check_payload_size(0x80000000u), package_size_error);
    EXPECT_THROW(check_packed_size(0x100000000u), package_size_error);
}

}  // namespace
