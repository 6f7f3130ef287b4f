// The one door to the platform. System code includes this header and calls the
// Win32 API through it, exactly as on Windows. On Windows it is the SDK itself;
// everywhere else it is our POSIX implementation of the subset the system uses.
#pragma once

#if defined(_WIN32)
#include <windows.h>
// shellapi.h builds on windows.h.
#include <shellapi.h>
#else
#include "platform/posix/win32_api.hpp"
#endif
