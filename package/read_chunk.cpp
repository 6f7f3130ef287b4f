#include "package/read_chunk.hpp"

#include <cstdint>

#include "package/md5.hpp"
#include "package/package_format.hpp"

namespace {

using package_format::digest_size;
using package_format::length_field_size;
using package_format::trailer_size;

// The farthest one signed 32-bit move goes towards the start of the file.
constexpr std::uint64_t longest_backward_move = std::uint64_t{1} << 31;

// A distance beyond one signed 32-bit move cannot be made: the move fails.
bool move_back(HANDLE file, std::uint64_t distance) {
    if (distance > longest_backward_move) {
        return false;
    }
    const auto move = static_cast<LONG>(-static_cast<std::int64_t>(distance));
    return SetFilePointer(file, move, nullptr, FILE_CURRENT) != INVALID_SET_FILE_POINTER;
}

// One read call into the whole buffer; how many bytes it delivered is not
// examined.
bool read_into(HANDLE file, std::string& buffer) {
    DWORD delivered = 0;
    return ReadFile(file, buffer.data(), static_cast<DWORD>(buffer.size()), &delivered, nullptr) !=
           FALSE;
}

std::uint32_t little_endian_value(const std::string& field) {
    std::uint32_t value = 0;
    for (std::size_t i = field.size(); i > 0; --i) {
        value = (value << 8) | static_cast<unsigned char>(field[i - 1]);
    }
    return value;
}

}  // namespace

bool read_chunk(HANDLE file, std::string& payload, bool& valid) {
    std::string stored_digest(digest_size, '\0');
    if (!move_back(file, digest_size) || !read_into(file, stored_digest)) {
        return false;
    }
    std::string length_field(length_field_size, '\0');
    if (!move_back(file, trailer_size) || !read_into(file, length_field)) {
        return false;
    }
    const std::uint32_t length = little_endian_value(length_field);
    if (!move_back(file, length_field_size + std::uint64_t{length})) {
        return false;
    }
    payload.assign(length, '\0');
    if (!read_into(file, payload)) {
        return false;
    }
    if (md5(payload).raw_digest() != stored_digest) {
        valid = false;
        return false;
    }
    return move_back(file, length);
}
