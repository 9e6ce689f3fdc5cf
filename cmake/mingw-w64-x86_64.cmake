# Cross-compiling toolchain for 64-bit Windows with Debian's mingw-w64, posix thread model.
# The posix flavour is what std::thread and std::mutex need; winpthreads is linked statically
# (see cmake/WindowsRuntime.cmake) so nothing beyond the system's own DLLs is required at run time.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(SIVREL_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER   ${SIVREL_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${SIVREL_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER  ${SIVREL_MINGW_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${SIVREL_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Windows test executables run under Wine; the wrapper supplies the prefix and display.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh)
