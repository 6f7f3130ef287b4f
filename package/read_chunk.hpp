#pragma once

#include <string>

#include "platform/win32.hpp"

// Reads the chunk that ends at the file's current position into payload and
// verifies it against the digest in its trailer. True when the chunk was read
// and verified; the position is then the chunk's start, the end of the chunk
// stored before it. A digest mismatch clears valid and gives false. A move or
// read that fails gives false and leaves valid as it was; the position is
// then undefined.
bool read_chunk(HANDLE file, std::string& payload, bool& valid);
