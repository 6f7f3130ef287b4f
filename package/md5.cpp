#include "package/md5.hpp"

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

using word = std::uint32_t;
using state_words = std::array<word, 4>;
using block_words = std::array<word, 16>;

// A, B, C, D before the first block.
constexpr state_words initial_state = {0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476};

// T[1] to T[64]: the integer part of 4294967296 * abs(sin(i)), i in radians.
constexpr std::array<word, 64> sine_table = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391,
};

// The left rotation of each step, four per round repeated four times.
constexpr std::array<unsigned, 64> rotations = {
    7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22,  //
    5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20,  //
    4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23,  //
    6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21,  //
};

// The message word X[k] that each step adds.
constexpr std::array<std::size_t, 64> message_words = {
    0, 1, 2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15,  //
    1, 6, 11, 0,  5,  10, 15, 4,  9,  14, 3,  8,  13, 2,  7,  12,  //
    5, 8, 11, 14, 1,  4,  7,  10, 13, 0,  3,  6,  9,  12, 15, 2,   //
    0, 7, 14, 5,  12, 3,  10, 1,  8,  15, 6,  13, 4,  11, 2,  9,   //
};

// The auxiliary functions of the four rounds. f and g are written in forms
// with the same results as their definitions that need fewer operations once
// the word in the role of b is known, the one every step waits for.

// (x & y) | (~x & z)
constexpr word f(word x, word y, word z) {
    return z ^ (x & (y ^ z));
}

// (x & z) | (y & ~z); the two terms share no bit, so adding them is the same
// as or-ing them, and the term without x can be added early.
constexpr word g(word x, word y, word z) {
    return (y & ~z) + (x & z);
}

constexpr word h(word x, word y, word z) {
    return x ^ y ^ z;
}

constexpr word i(word x, word y, word z) {
    return y ^ (x | ~z);
}

constexpr word rotate_left(word value, unsigned count) {
    return (value << count) | (value >> (32U - count));
}

template <std::size_t step>
constexpr word round_function(word x, word y, word z) {
    if constexpr (step < 16) {
        return f(x, y, z);
    } else if constexpr (step < 32) {
        return g(x, y, z);
    } else if constexpr (step < 48) {
        return h(x, y, z);
    } else {
        return i(x, y, z);
    }
}

// One step: a = b + ((a + F(b, c, d) + X[k] + T[step + 1]) <<< s). The roles of
// the four words turn by one each step: ABCD, DABC, CDAB, BCDA, ABCD, ...
template <std::size_t step>
inline void transform_step(state_words& v, const block_words& x) {
    constexpr std::size_t a = (4 - step % 4) % 4;
    constexpr std::size_t b = (a + 1) % 4;
    constexpr std::size_t c = (a + 2) % 4;
    constexpr std::size_t d = (a + 3) % 4;
    v[a] = v[b] + rotate_left(v[a] + round_function<step>(v[b], v[c], v[d]) +
                                  x[message_words[step]] + sine_table[step],
                              rotations[step]);
}

// All 64 steps written out by the compiler, so every index, constant and
// rotation is fixed at compile time.
template <std::size_t... steps>
inline state_words transform_steps(state_words v, const block_words& x,
                                   std::index_sequence<steps...>) {
    (transform_step<steps>(v, x), ...);
    return v;
}

// Byte assembly instead of a cast: the caller's bytes have no alignment, and
// the compiler turns this into one load on a little-endian machine.
word load_little_endian(const unsigned char* bytes) {
    return word{bytes[0]} | word{bytes[1]} << 8 | word{bytes[2]} << 16 | word{bytes[3]} << 24;
}

}  // namespace

md5::md5(const std::string& message) : state_(initial_state) {
    update(message.data(), message.size());
}

void md5::update(const void* bytes, std::size_t length) {
    if (finalized_ || length == 0) {
        return;
    }
    const auto* next = static_cast<const unsigned char*>(bytes);
    // Unsigned arithmetic: the count wraps modulo 2^64 as the length field requires.
    bit_count_ += static_cast<std::uint64_t>(length) * 8U;

    if (pending_length_ > 0) {
        const std::size_t head = std::min(length, block_size - pending_length_);
        std::memcpy(pending_.data() + pending_length_, next, head);
        pending_length_ += head;
        next += head;
        length -= head;
        if (pending_length_ < block_size) {
            return;
        }
        transform_blocks(pending_.data(), 1);
        pending_length_ = 0;
    }

    const std::size_t whole_blocks = length / block_size;
    transform_blocks(next, whole_blocks);
    pending_length_ = length % block_size;
    std::memcpy(pending_.data(), next + whole_blocks * block_size, pending_length_);
}

void md5::finalize() {
    if (finalized_) {
        return;
    }
    finalized_ = true;

    // The padding: 0x80, zero bytes up to 56 modulo 64, then the bit count,
    // least significant byte first; one block, or two when fewer than 9
    // bytes are left in the pending one.
    constexpr std::size_t length_offset = block_size - 8;
    pending_[pending_length_++] = 0x80;
    if (pending_length_ > length_offset) {
        std::memset(pending_.data() + pending_length_, 0, block_size - pending_length_);
        transform_blocks(pending_.data(), 1);
        pending_length_ = 0;
    }
    std::memset(pending_.data() + pending_length_, 0, length_offset - pending_length_);
    for (std::size_t byte = 0; byte < 8; ++byte) {
        pending_[length_offset + byte] = static_cast<unsigned char>(bit_count_ >> (8 * byte));
    }
    transform_blocks(pending_.data(), 1);
    pending_length_ = 0;
}

std::string md5::raw_digest() {
    finalize();
    std::string digest;
    digest.reserve(16);
    for (const word state_word : state_) {
        for (unsigned shift = 0; shift < 32; shift += 8) {
            digest.push_back(static_cast<char>(static_cast<unsigned char>(state_word >> shift)));
        }
    }
    return digest;
}

std::string md5::hex_digest() {
    return hex_encode(raw_digest());
}

void md5::transform_blocks(const unsigned char* blocks, std::size_t count) {
    for (; count > 0; --count, blocks += block_size) {
        block_words x;
        for (std::size_t k = 0; k < x.size(); ++k) {
            x[k] = load_little_endian(blocks + 4 * k);
        }
        const state_words v = transform_steps(state_, x, std::make_index_sequence<64>{});
        for (std::size_t k = 0; k < v.size(); ++k) {
            state_[k] += v[k];
        }
    }
}

std::string hex_encode(const std::string& bytes) {
    static constexpr char digits[] = "0123456789abcdef";
    std::string text;
    text.reserve(2 * bytes.size());
    for (const char byte : bytes) {
        const auto value = static_cast<unsigned char>(byte);
        text.push_back(digits[value >> 4]);
        text.push_back(digits[value & 0x0f]);
    }
    return text;
}
