# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 (POSIX threads, so
# that std::thread and std::mutex work), the tests run under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TQ820_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TQ820_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TQ820_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TQ820_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TQ820_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Statically linked, the executables need no MinGW DLLs beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# CTest runs every test executable through Wine. Debian installs wine64 outside
# the PATH unless the "wine" package is there too.
find_program(TQ820_WINE64 NAMES wine64 PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(TQ820_WINE64)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${TQ820_WINE64})
endif()
