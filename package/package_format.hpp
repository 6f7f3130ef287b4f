// The installation package appended to the stub's executable: a chain of
// chunks, read from the end of the file towards its start.
//
// A chunk is its payload followed by a 20-byte trailer:
//   offset 0      L bytes   payload, any bytes, L may be 0
//   offset L      4 bytes   L, unsigned, little-endian
//   offset L + 4  16 bytes  MD5 raw digest of the payload
// Chunks follow each other without gaps. A record is a group of chunks whose
// last chunk in file order is its tag; the chunk stored directly before the
// tag is the record's key:
//   "value"  value, key, tag
//   "file"   content, file name, key, tag
//   "stub"   one ignored chunk, tag; ends the walk
//   other    key, tag; skipped
// The marker chunk, the tag "chunked-installer-tail" alone, ends the package.
// A file holds: the executable image, the stub record, any records, the
// marker chunk, and optionally trailing bytes (a code signature).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace package_format {

inline constexpr std::string_view marker_tag = "chunked-installer-tail";
inline constexpr std::string_view value_tag = "value";
inline constexpr std::string_view file_tag = "file";
inline constexpr std::string_view stub_tag = "stub";

inline constexpr std::size_t length_field_size = 4;
inline constexpr std::size_t digest_size = 16;
inline constexpr std::size_t trailer_size = length_field_size + digest_size;

// The reader steps back over a payload and its length field in one signed
// 32-bit move of 4 + L bytes, so L may be at most 2^31 - 4.
inline constexpr std::uint32_t max_payload_size = 0x7FFFFFFCu;

// File positions are 32-bit values: the executable, its package and any
// trailing bytes together stay below 4 GiB.
inline constexpr std::uint64_t max_file_size = 0xFFFFFFFFu;

}  // namespace package_format
