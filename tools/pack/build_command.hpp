// stubra-pack build: a copy of the stub with a package appended.
#pragma once

#include <string>
#include <vector>

// One record to store: a value record (key, value) or a file record (key, the
// file name it is extracted as, and the file its content is read from).
struct record_request {
    enum class kind { value, file };
    kind type = kind::value;
    std::string key;
    std::string text;    // the value, or the file name
    std::string source;  // file records only
};

struct build_request {
    std::string stub;
    std::string output;
    std::vector<record_request> records;  // in the order they are stored
};

// Writes the stub image, the stub record, the records in the order given and
// the marker chunk to output, with the stub's permissions. Everything is
// checked before anything is written: readable inputs, file names the stub
// accepts, payload and file sizes within the format's limits. The file is
// written beside output under a temporary name and renamed when complete, so
// a failure leaves nothing behind. Throws pack_error.
void build_package(const build_request& request);
