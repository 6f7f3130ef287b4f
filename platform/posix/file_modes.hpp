// Windows' read-only attribute on POSIX permission bits.
#pragma once

#include <sys/stat.h>

namespace win32_posix {

// Windows has one read-only attribute where POSIX has three write bits: an
// entry counts as read-only when none of them is set. The layer checks this
// itself instead of leaving it to the kernel, which lets root write anything.
inline bool is_read_only(mode_t mode) {
    return (mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

}  // namespace win32_posix
