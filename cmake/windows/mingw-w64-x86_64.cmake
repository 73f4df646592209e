# Cross-builds for 64-bit Windows with Debian's MinGW-w64 (POSIX threads), for Qt itself and for Tarnwick.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

# Libraries, headers and CMake packages come from the MinGW tree (and the folders given on the command line, such as
# Qt's), never from the host's; programs such as Qt's host tools come from the host.
list(APPEND CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# GCC's own runtime (libgcc, libstdc++, winpthread) is linked into every program and DLL, so that they need only
# Windows' DLLs and Qt's.
foreach(kind EXE SHARED MODULE)
    set(CMAKE_${kind}_LINKER_FLAGS_INIT -static)
endforeach()

# CTest runs the test programs under Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
