// The stub's entry: no window of its own, one run per process.
#include "bootstrap/run.hpp"
#include "platform/win32.hpp"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR lpCmdLine, int) {
    return static_cast<int>(run_stub(lpCmdLine != nullptr ? lpCmdLine : ""));
}
