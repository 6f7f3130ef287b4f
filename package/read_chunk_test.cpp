#include "package/read_chunk.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "package/md5.hpp"
#include "package/package_fixture.hpp"
#include "platform/win32.hpp"
#include "varnel/handle.hpp"

namespace {

class read_chunk_test : public package_fixture {
  protected:
    // The package file opened for reading, positioned at its end.
    HANDLE open_at_end() {
        const HANDLE file = CreateFileA(package_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        EXPECT_NE(file, INVALID_HANDLE_VALUE) << package_ << ": error " << GetLastError();
        SetFilePointer(file, 0, nullptr, FILE_END);
        return file;
    }

    static DWORD position(const varnel::handle& file) {
        return SetFilePointer(file.get(), 0, nullptr, FILE_CURRENT);
    }
};

TEST_F(read_chunk_test, reads_chunks_backwards_and_stops_at_each_chunks_start) {
    write_package([](package_writer& writer) {
        writer.bytes("head");
        writer.chunk("first");
        writer.chunk("second");
    });
    const varnel::handle file(open_at_end());
    bool valid = true;

    std::string payload;
    EXPECT_TRUE(read_chunk(file.get(), payload, valid));
    EXPECT_EQ(payload, "second");
    EXPECT_EQ(position(file), 4u + 5u + 20u);

    payload.clear();
    EXPECT_TRUE(read_chunk(file.get(), payload, valid));
    EXPECT_EQ(payload, "first");
    EXPECT_EQ(position(file), 4u);
    EXPECT_TRUE(valid);
}

TEST_F(read_chunk_test, verifies_an_empty_payload_against_the_digest_of_nothing) {
    write_package([](package_writer& writer) { writer.chunk(""); });
    const varnel::handle file(open_at_end());
    bool valid = true;
    std::string payload;

    EXPECT_TRUE(read_chunk(file.get(), payload, valid));
    EXPECT_EQ(payload, "");
    EXPECT_EQ(position(file), 0u);
    EXPECT_TRUE(valid);
}

TEST_F(read_chunk_test, keeps_zero_bytes_in_payloads) {
    const std::string binary("\0\r\n\xff\0", 5);
    write_package([&](package_writer& writer) { writer.chunk(binary); });
    const varnel::handle file(open_at_end());
    bool valid = true;
    std::string payload;

    EXPECT_TRUE(read_chunk(file.get(), payload, valid));
    EXPECT_EQ(payload, binary);
}

TEST_F(read_chunk_test, clears_valid_when_the_digest_does_not_match) {
    std::string flipped = md5("payload").raw_digest();
    flipped[15] = static_cast<char>(flipped[15] ^ 1);
    for (const std::string& digest :
         {std::string(16, '\0'), md5("other payload").raw_digest(), flipped}) {
        SCOPED_TRACE(hex_encode(digest));
        write_package([&](package_writer& writer) { writer.chunk_with_digest("payload", digest); });
        const varnel::handle file(open_at_end());
        bool valid = true;
        std::string payload;

        EXPECT_FALSE(read_chunk(file.get(), payload, valid));
        EXPECT_FALSE(valid);
    }
}

TEST_F(read_chunk_test, fails_without_touching_valid_when_a_move_cannot_be_made) {
    struct move_case {
        const char* what;
        std::uint32_t length;
    };
    const move_case cases[] = {
        {"before the start of the file", 100},
        {"one byte before the start of the file", 5},
        {"beyond one signed 32-bit move", 0x7FFFFFFDu},
        {"2 GiB", 0x80000000u},
        {"the largest length", 0xFFFFFFFFu},
    };
    for (const move_case& c : cases) {
        SCOPED_TRACE(c.what);
        write_package([&](package_writer& writer) {
            writer.bytes("four");
            writer.bytes(chunk_trailer(c.length, md5("four").raw_digest()));
        });
        const varnel::handle file(open_at_end());
        bool valid = true;
        std::string payload;

        EXPECT_FALSE(read_chunk(file.get(), payload, valid));
        EXPECT_TRUE(valid);
    }
}

TEST_F(read_chunk_test, fails_without_touching_valid_on_a_file_shorter_than_a_trailer) {
    write_package([](package_writer& writer) { writer.bytes("0123456789"); });
    const varnel::handle file(open_at_end());
    bool valid = true;
    std::string payload;

    EXPECT_FALSE(read_chunk(file.get(), payload, valid));
    EXPECT_TRUE(valid);
}

}  // namespace
