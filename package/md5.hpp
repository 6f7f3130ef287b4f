// MD5 (RFC 1321), the digest that verifies every chunk of the package.
//
// A digest object is open from construction until its first finalize, which
// every digest read-out triggers; closed afterwards, its digest never changes.
// The package reads each payload whole and hashes it with one object built
// from it, so a payload of any size is hashed straight from its own bytes:
// only the bytes that do not fill a 64-byte block are ever copied.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

class md5 {
  public:
    // An open digest fed with message, which may be empty and hold any bytes.
    explicit md5(const std::string& message);

    // Adds length bytes at bytes to the message (bytes may be null when
    // length is 0). A no-op once the object is closed: the digest stays that
    // of the message fed before the first finalize.
    void update(const void* bytes, std::size_t length);

    // Closes the object: pads the message and processes its last block or
    // two. Later calls do nothing.
    void finalize();

    // The 16-byte digest: the words A, B, C, D, each least significant byte
    // first. Closes the object first.
    std::string raw_digest();

    // The digest as 32 lowercase hexadecimal characters. Closes the object first.
    std::string hex_digest();

  private:
    static constexpr std::size_t block_size = 64;

    void transform_blocks(const unsigned char* blocks, std::size_t count);

    std::array<std::uint32_t, 4> state_;
    std::uint64_t bit_count_ = 0;  // the message length in bits, modulo 2^64
    std::array<unsigned char, block_size> pending_{};
    std::size_t pending_length_ = 0;  // always below block_size
    bool finalized_ = false;
};

// Two lowercase hexadecimal characters per byte, high nibble first.
std::string hex_encode(const std::string& bytes);
