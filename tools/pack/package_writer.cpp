#include "tools/pack/package_writer.hpp"

#include "package/md5.hpp"
#include "package/package_format.hpp"

void check_payload_size(std::uint64_t size) {
    if (size > package_format::max_payload_size) {
        throw package_size_error("a payload of " + std::to_string(size) +
                                 " bytes is more than a chunk holds (" +
                                 std::to_string(package_format::max_payload_size) + " bytes)");
    }
}

void check_packed_size(std::uint64_t size) {
    if (size > package_format::max_file_size) {
        throw package_size_error("a packed file of " + std::to_string(size) +
                                 " bytes is more than 32-bit file positions reach (" +
                                 std::to_string(package_format::max_file_size) + " bytes)");
    }
}

std::string chunk_trailer(std::uint32_t length, const std::string& digest) {
    std::string trailer;
    for (int shift = 0; shift < 32; shift += 8) {
        trailer += static_cast<char>((length >> shift) & 0xFFu);
    }
    return trailer + digest;
}

std::uint64_t chunk_size(std::uint64_t payload_size) {
    return payload_size + package_format::trailer_size;
}

void package_writer::bytes(const std::string& raw) {
    put(raw);
}

void package_writer::chunk(const std::string& payload) {
    chunk_with_digest(payload, md5(payload).raw_digest());
}

void package_writer::chunk_with_digest(const std::string& payload, const std::string& digest) {
    check_payload_size(payload.size());
    put(payload);
    put(chunk_trailer(static_cast<std::uint32_t>(payload.size()), digest));
}

void package_writer::stub_record() {
    chunk("");
    chunk(std::string(package_format::stub_tag));
}

void package_writer::value_record(const std::string& key, const std::string& value) {
    chunk(value);
    chunk(key);
    chunk(std::string(package_format::value_tag));
}

void package_writer::file_record(const std::string& key, const std::string& name,
                                 const std::string& content) {
    chunk(content);
    chunk(name);
    chunk(key);
    chunk(std::string(package_format::file_tag));
}

void package_writer::record(const std::string& tag, const std::string& key) {
    chunk(key);
    chunk(tag);
}

void package_writer::marker() {
    chunk(std::string(package_format::marker_tag));
}

void package_writer::put(const std::string& raw) {
    check_packed_size(size_ + raw.size());
    out_.write(raw.data(), static_cast<std::streamsize>(raw.size()));
    size_ += raw.size();
}
