# Cross build for 64-bit Windows with the mingw-w64 compilers of the posix-threads flavour (the
# one whose C++ runtime has std::thread). The runtime is linked statically, so the executables
# need nothing but the system DLLs every Windows has.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CORVANE_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${CORVANE_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${CORVANE_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${CORVANE_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${CORVANE_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
