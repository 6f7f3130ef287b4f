// The pseudo handle that stands for the calling process, as on Windows.
#pragma once

#include "platform/posix/win32_api.hpp"

namespace win32_posix {

inline const HANDLE current_process_handle = reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-1));

}  // namespace win32_posix
