# Cross build for 32-bit Windows with mingw-w64, posix thread model.
# Every executable is linked statically (it needs no DLL beyond the system's)
# and large-address-aware; unused functions and data are left out of it. Test executables run under 32-bit Wine through
# scripts/wine-run.sh, in a prefix inside the build folder and without a
# display, so that a message box returns at once instead of waiting for a
# click.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(STUBRA_MINGW_TRIPLE i686-w64-mingw32)
set(CMAKE_C_COMPILER ${STUBRA_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${STUBRA_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${STUBRA_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${STUBRA_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_C_FLAGS_INIT "-ffunction-sections -fdata-sections")
set(CMAKE_CXX_FLAGS_INIT "-ffunction-sections -fdata-sections")
set(CMAKE_EXE_LINKER_FLAGS_INIT
    "-static -static-libgcc -static-libstdc++ -Wl,--large-address-aware -Wl,--gc-sections")

cmake_path(SET STUBRA_WINE_RUN NORMALIZE "${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh")
set(CMAKE_CROSSCOMPILING_EMULATOR "${STUBRA_WINE_RUN};--no-display;${CMAKE_BINARY_DIR}/wine/win32")
