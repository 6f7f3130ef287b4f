#include "package/package_walk.hpp"

#include <algorithm>
#include <array>
#include <optional>

#include "package/package_format.hpp"
#include "package/read_chunk.hpp"
#include "varnel/handle.hpp"

namespace {

using package_format::marker_tag;
using package_format::trailer_size;

// Each scan step moves back one byte more than the window it then reads, so
// the net step is one byte towards the start of the file.
constexpr LONG scan_step = -static_cast<LONG>(marker_tag.size() + 1);

// The lowest window start the scan tries lies above this position.
constexpr DWORD scan_floor = marker_tag.size();

varnel::handle open_package(const std::string& package_path) {
    return varnel::handle(CreateFileA(package_path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
}

// Scans from the end of the file towards its start for the marker text; the
// start of the window nearest the end that holds it, if any. The last byte of
// the file never lies in a window, and a marker at offset 22 or lower is never
// found. A move that fails ends the scan without a match.
std::optional<DWORD> find_marker(HANDLE file) {
    // Not examined: a move to the end cannot fail on the file just opened.
    SetFilePointer(file, 0, nullptr, FILE_END);
    std::array<char, marker_tag.size()> window{};
    for (;;) {
        const DWORD start = SetFilePointer(file, scan_step, nullptr, FILE_CURRENT);
        if (start == INVALID_SET_FILE_POINTER || start <= scan_floor) {
            return std::nullopt;
        }
        window.fill('\0');
        DWORD delivered = 0;
        // Not examined: a window that could not be read holds no marker.
        ReadFile(file, window.data(), static_cast<DWORD>(window.size()), &delivered, nullptr);
        if (std::equal(window.begin(), window.end(), marker_tag.begin())) {
            return start;
        }
    }
}

// The walk from the end of the marker chunk towards the start of the file,
// one record at a time; each record's payloads are released before the next
// record is read.
class record_walk {
  public:
    record_walk(HANDLE file, std::uint64_t marker_chunk_end, package_visitor& visitor)
        : file_(file), visitor_(visitor) {
        result_.chunk_end = marker_chunk_end;
    }

    walk_result run() {
        while (next_record()) {
        }
        result_.valid = valid_;
        return result_;
    }

  private:
    // False when the walk ends, with result_ telling why.
    bool next_record() {
        std::string tag;
        if (!read(tag, chunk_role::tag)) {
            return false;
        }
        if (tag == marker_tag) {
            valid_ = true;
            visitor_.on_marker();
            return true;
        }
        std::string key;
        if (!read(key, chunk_role::key)) {
            return false;
        }
        if (tag == package_format::value_tag) {
            return value_record(key);
        }
        if (tag == package_format::file_tag) {
            return file_record(key);
        }
        if (tag == package_format::stub_tag) {
            visitor_.on_stub(key);
            return end(walk_end::stub_reached);
        }
        visitor_.on_other_record(tag, key);
        return true;
    }

    bool value_record(const std::string& key) {
        std::string value;
        if (!read(value, chunk_role::value)) {
            return false;
        }
        visitor_.on_value(key, value);
        return true;
    }

    bool file_record(const std::string& key) {
        std::string name;
        std::string content;
        if (!read(name, chunk_role::file_name) || !read(content, chunk_role::content)) {
            return false;
        }
        return visitor_.on_file(key, name, content) || end(walk_end::stopped);
    }

    // Reads the chunk that ends at the current position. On a failure the walk
    // ends there; a digest mismatch also clears the valid flag.
    bool read(std::string& payload, chunk_role role) {
        bool verified = true;
        if (read_chunk(file_, payload, verified)) {
            result_.chunk_end -= payload.size() + trailer_size;
            return true;
        }
        result_.role = role;
        if (!verified) {
            valid_ = false;
            return end(walk_end::digest_mismatch);
        }
        return end(walk_end::chunk_unreadable);
    }

    bool end(walk_end how) {
        result_.end = how;
        return false;
    }

    HANDLE file_;
    package_visitor& visitor_;
    bool valid_ = false;
    walk_result result_;
};

}  // namespace

walk_result walk_package(const std::string& package_path, package_visitor& visitor) {
    const varnel::handle file = open_package(package_path);
    if (!file.is_open()) {
        return walk_result{walk_end::cannot_open, false, GetLastError(), 0, chunk_role::tag};
    }
    const std::optional<DWORD> window = find_marker(file.get());
    if (!window) {
        return walk_result{walk_end::no_marker, false, GetLastError(), 0, chunk_role::tag};
    }
    // Past the length field and digest of the marker chunk, to its end. Not
    // examined: a failed move shows in the first chunk read.
    SetFilePointer(file.get(), static_cast<LONG>(trailer_size), nullptr, FILE_CURRENT);
    const std::uint64_t marker_chunk_end =
        std::uint64_t{*window} + marker_tag.size() + trailer_size;
    return record_walk(file.get(), marker_chunk_end, visitor).run();
}
