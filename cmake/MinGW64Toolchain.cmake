# Cross-build for 64-bit Windows with Debian's mingw-w64 (the posix-thread
# variant, whose libstdc++ has std::thread):
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/MinGW64Toolchain.cmake
# Tests run under Wine through CMAKE_CROSSCOMPILING_EMULATOR when it is found.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(tessaro_mingw x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${tessaro_mingw}-gcc-posix)
set(CMAKE_CXX_COMPILER ${tessaro_mingw}-g++-posix)
set(CMAKE_RC_COMPILER ${tessaro_mingw}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${tessaro_mingw})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Debian's wine64 package installs the loader outside PATH.
find_program(TESSARO_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(TESSARO_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${TESSARO_WINE})
endif()
