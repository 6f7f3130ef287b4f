#pragma once

// Whether this 32-bit process runs on 64-bit Windows. False where the system
// has no IsWow64Process or the call fails.
bool is_wow64();
