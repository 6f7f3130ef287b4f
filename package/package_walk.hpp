// The walk over a package, shared by the extraction and the packer's listing
// so that both see exactly the same records.
#pragma once

#include <cstdint>
#include <string>

#include "platform/win32.hpp"

// What the walk meets, record by record, in the order it reads them: from the
// marker chunk towards the start of the file. Every payload handed over has
// been verified against its digest.
class package_visitor {
  public:
    virtual ~package_visitor() = default;

    // The marker chunk: the package is valid from here on, until a digest fails.
    virtual void on_marker() {}

    virtual void on_value(const std::string& key, const std::string& value) = 0;

    // A file record; false ends the walk at once (its file could not be written).
    virtual bool on_file(const std::string& key, const std::string& name,
                         const std::string& content) = 0;

    // A record with any other tag; it consisted of its tag and its key.
    virtual void on_other_record(const std::string& /*tag*/, const std::string& /*key*/) {}

    // The stub record, whose one chunk is not used; the walk ends with it.
    virtual void on_stub(const std::string& /*chunk*/) {}
};

enum class walk_end {
    cannot_open,       // the package file could not be opened
    no_marker,         // the backward scan found no marker text
    stub_reached,      // the stub record was read
    chunk_unreadable,  // a move or a read inside a chunk failed
    digest_mismatch,   // a chunk did not match its digest
    stopped,           // the visitor ended the walk at a file record
};

// The chunk of a record that was being read when the walk ended early.
enum class chunk_role { tag, key, value, file_name, content };

struct walk_result {
    walk_end end = walk_end::cannot_open;
    // The valid flag when the walk ended: set by each marker chunk read,
    // cleared by any digest mismatch.
    bool valid = false;
    // cannot_open, no_marker: GetLastError() at the failure.
    DWORD error = ERROR_SUCCESS;
    // chunk_unreadable, digest_mismatch: the file position where the chunk
    // ends, and which chunk of its record it is.
    std::uint64_t chunk_end = 0;
    chunk_role role = chunk_role::tag;
};

// Opens the package file, scans backwards from its end for the marker text
// and walks the records from the marker chunk towards the start of the file,
// reporting each to the visitor, until the stub record, a chunk that cannot be
// read or verified, or a file record the visitor refuses. The package file is
// closed when the call returns.
walk_result walk_package(const std::string& package_path, package_visitor& visitor);
