#include "package/md5.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace {

struct known_digest {
    std::string message;
    const char* hex;
};

// length bytes holding every byte value, zero included: byte k is (131 k + 7) mod 256.
std::string byte_pattern(std::size_t length) {
    std::string bytes(length, '\0');
    for (std::size_t k = 0; k < length; ++k) {
        bytes[k] = static_cast<char>(static_cast<unsigned char>((131 * k + 7) % 256));
    }
    return bytes;
}

// The digests of byte_pattern(300) and byte_pattern(1 MiB), as md5sum gives them.
const char* const pattern_300_hex = "857289c9e9c8c9d2a0c9760aa4e95c07";
const char* const pattern_1_mib_hex = "b1e1aed0deadc10e54f181a82efd15e8";

// The digest of message fed in pieces whose lengths cycle through piece_lengths.
std::string digest_in_pieces(const std::string& message,
                             const std::vector<std::size_t>& piece_lengths) {
    md5 digest{std::string()};
    std::size_t offset = 0;
    for (std::size_t piece = 0; offset < message.size(); ++piece) {
        const std::size_t length =
            std::min(piece_lengths[piece % piece_lengths.size()], message.size() - offset);
        digest.update(message.data() + offset, length);
        offset += length;
    }
    return digest.hex_digest();
}

void expect_digests(const std::vector<known_digest>& cases) {
    for (const known_digest& known : cases) {
        SCOPED_TRACE("message of " + std::to_string(known.message.size()) + " bytes: \"" +
                     known.message.substr(0, 80) + "\"");
        EXPECT_EQ(md5{known.message}.hex_digest(), known.hex);
    }
}

TEST(md5, meets_the_rfc_1321_test_suite) {
    expect_digests({
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
         "d174ab98d277d9f5a5611c2c9f419d9f"},
        {"1234567890123456789012345678901234567890123456789012345678901234567890123456789"
         "0",
         "57edf4a22be3c955ac49da2e2107b67a"},
    });
}

// 55 bytes leave room for the padding and the length in the last block; from
// 56 on the padding spills into a second block.
TEST(md5, pads_messages_around_a_block_end_into_one_or_two_blocks) {
    expect_digests({
        {std::string(55, 'a'), "ef1772b6dff9a122358552954ad0df65"},
        {std::string(56, 'a'), "3b0c8ac703f828b04c6c197006d17218"},
        {std::string(63, 'a'), "b06521f39153d618550606be297466d5"},
        {std::string(64, 'a'), "014842d480b571495a4a0363793f7367"},
        {std::string(65, 'a'), "c743a45e0d2e6a95cb859adae0248435"},
    });
}

TEST(md5, hashes_messages_of_many_blocks_with_every_byte_value) {
    expect_digests({
        {byte_pattern(300), pattern_300_hex},
        {byte_pattern(1 << 20), pattern_1_mib_hex},
    });
}

TEST(md5, gives_the_same_digest_for_a_message_fed_in_pieces_of_any_size) {
    const std::string message = byte_pattern(300);
    const std::vector<std::vector<std::size_t>> piece_patterns = {
        {1},          {3},     {55},           {56},          {63},     {64},
        {65},         {127},   {128},          {200},         {10, 54}, {64, 0, 64},
        {1, 63, 128}, {55, 9}, {63, 1, 63, 1}, {100, 28, 64}, {300},
    };
    for (const std::vector<std::size_t>& pieces : piece_patterns) {
        SCOPED_TRACE("pieces of " + testing::PrintToString(pieces) + " bytes");
        EXPECT_EQ(digest_in_pieces(message, pieces), pattern_300_hex);
    }
}

TEST(md5, gives_the_same_digest_for_a_message_split_anywhere) {
    const std::string message = byte_pattern(300);
    for (std::size_t split = 0; split <= message.size(); ++split) {
        SCOPED_TRACE("split at " + std::to_string(split));
        md5 digest{message.substr(0, split)};
        digest.update(message.data() + split, message.size() - split);
        EXPECT_EQ(digest.hex_digest(), pattern_300_hex);
    }
}

TEST(md5, keeps_zero_bytes_of_the_raw_digest) {
    const std::string expected("\x00\x68\x26\xd1\xf1\xbe\x1e\x6a\xde\x5b\x5d\x51\xeb\x21\x00\xbd",
                               16);
    const std::string raw = md5{"digest with zero bytes 6418"}.raw_digest();
    EXPECT_EQ(raw.size(), 16U);
    EXPECT_EQ(raw, expected);
}

TEST(md5, gives_the_same_digest_on_every_read_out) {
    md5 digest{"abc"};
    const std::string first_raw = digest.raw_digest();
    EXPECT_EQ(digest.raw_digest(), first_raw);
    EXPECT_EQ(digest.hex_digest(), hex_encode(first_raw));
    EXPECT_EQ(digest.hex_digest(), "900150983cd24fb0d6963f7d28e17f72");
}

TEST(md5, ignores_bytes_fed_after_it_is_closed) {
    md5 read_out{"abc"};
    read_out.raw_digest();
    read_out.update("def", 3);
    EXPECT_EQ(read_out.hex_digest(), "900150983cd24fb0d6963f7d28e17f72");

    md5 finalized{"abc"};
    finalized.finalize();
    finalized.update("def", 3);
    finalized.finalize();
    EXPECT_EQ(finalized.hex_digest(), "900150983cd24fb0d6963f7d28e17f72");
}

TEST(md5, accepts_no_bytes_at_a_null_pointer) {
    md5 digest{"abc"};
    digest.update(nullptr, 0);
    EXPECT_EQ(digest.hex_digest(), "900150983cd24fb0d6963f7d28e17f72");
}

TEST(hex_encode, writes_each_byte_as_two_lowercase_digits_high_nibble_first) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", ""},
        {std::string(1, '\0'), "00"},
        {"abc", "616263"},
        {"\x01\x23\x45\x67\x89\xab\xcd\xef", "0123456789abcdef"},
        {"\xfe\xdc\xba\x98\x76\x54\x32\x10", "fedcba9876543210"},
    };
    for (const auto& [bytes, text] : cases) {
        EXPECT_EQ(hex_encode(bytes), text);
    }
}

TEST(hex_encode, encodes_every_byte_value) {
    std::string bytes;
    for (int value = 0; value < 256; ++value) {
        bytes.push_back(static_cast<char>(value));
    }
    const std::string text = hex_encode(bytes);
    ASSERT_EQ(text.size(), 512U);
    for (int value = 0; value < 256; ++value) {
        char expected[3];
        std::snprintf(expected, sizeof expected, "%02x", static_cast<unsigned>(value));
        EXPECT_EQ(text.substr(2 * static_cast<std::size_t>(value), 2), expected)
            << "byte " << value;
    }
}

}  // namespace
