// Writes installation packages, for the packer and for test packages.
//
// A packed file is written in file order:
//   1. the stub's executable image              bytes()
//   2. the stub record                          stub_record()
//   3. value and file records, in the order     value_record(), file_record()
//      they are to be stored
//   4. the marker chunk                         marker()
//   5. optionally trailing bytes                bytes()
// The stub reads the records in the reverse of that order, nearest the marker
// first, and never replaces a key it already holds: of two records with the
// same key, the one written later supplies the value. Of two file records with
// the same file name, the one written earlier is extracted last, so its
// content is what ends up on disk.
//
// For broken test packages, chunks with any digest, records with any tag and
// any raw bytes can be written as well.
#pragma once

#include <cstdint>
#include <ostream>
#include <stdexcept>
#include <string>

// A payload or a packed file beyond what the format's 32-bit fields can hold.
class package_size_error : public std::length_error {
  public:
    using std::length_error::length_error;
};

// Throws package_size_error for a payload longer than a chunk can hold.
void check_payload_size(std::uint64_t size);

// Throws package_size_error for a packed file too large for 32-bit positions.
void check_packed_size(std::uint64_t size);

// The 20-byte trailer of a chunk: length, little-endian, then the digest.
std::string chunk_trailer(std::uint32_t length, const std::string& digest);

// The bytes a chunk of this payload occupies: the payload and its trailer.
std::uint64_t chunk_size(std::uint64_t payload_size);

class package_writer {
  public:
    // Writes to out; the caller checks the stream's state when done.
    explicit package_writer(std::ostream& out) : out_(out) {}

    // Bytes outside any chunk: the stub image, trailing bytes.
    void bytes(const std::string& raw);

    // The payload followed by its length and its MD5 digest.
    void chunk(const std::string& payload);

    // The payload followed by its length and the given 16-byte digest.
    void chunk_with_digest(const std::string& payload, const std::string& digest);

    // An empty chunk and the tag "stub".
    void stub_record();

    // Value, key, and the tag "value".
    void value_record(const std::string& key, const std::string& value);

    // Content, file name, key, and the tag "file".
    void file_record(const std::string& key, const std::string& name, const std::string& content);

    // Key and the given tag: a record the stub skips unless the tag is one it knows.
    void record(const std::string& tag, const std::string& key);

    // The chunk "chunked-installer-tail" that ends the package.
    void marker();

    // The bytes written so far.
    std::uint64_t size() const { return size_; }

  private:
    void put(const std::string& raw);

    std::ostream& out_;
    std::uint64_t size_ = 0;
};
