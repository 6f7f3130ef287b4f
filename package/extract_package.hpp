#pragma once

#include <string>

#include "package/value_map.hpp"

// Reads the package appended to the file at package_path: every value record
// and every file record's key go into values (a key already present keeps its
// value, so for two records with the same key the one nearer the end of the
// file wins), and every file record's content is written to work_folder +
// its file name (work_folder ends with a backslash; no folders are created).
// True when the package is valid: its marker chunk and every chunk read after
// it verified. False, after a message box, when the file cannot be opened,
// holds no marker, or a file cannot be extracted; a file name that would lead
// outside the work folder counts as one that cannot be created. Files and
// values already extracted stay whatever the result.
bool extract_package(const std::string& package_path, const std::string& work_folder,
                     value_map& values);
