# What the Windows cross build needs beyond the toolchain file.

# Test programs, and anything else the build runs that is a Windows executable, go through Wine
# with one prefix inside the build tree.
set(CORVANE_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_SOURCE_DIR}/scripts/wine-run.sh ${CORVANE_WINEPREFIX})

# GoogleTest is built from the sources Debian ships, with the same compiler.
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

# Header-only libraries come from the build machine's include folder, one package at a time
# (the whole folder would hide the cross compiler's own headers).
set(CORVANE_CROSS_HEADERS ${CMAKE_BINARY_DIR}/cross-include)
file(MAKE_DIRECTORY ${CORVANE_CROSS_HEADERS})
if(EXISTS /usr/include/stb AND NOT EXISTS ${CORVANE_CROSS_HEADERS}/stb)
  file(CREATE_LINK /usr/include/stb ${CORVANE_CROSS_HEADERS}/stb SYMBOLIC)
endif()
include_directories(SYSTEM ${CORVANE_CROSS_HEADERS})

# The programs that draw the artwork, render the font data file and build the demos run on
# the build machine: a native build of the same sources, made and kept inside this build tree.
include(ExternalProject)
set(CORVANE_NATIVE_DIR ${CMAKE_BINARY_DIR}/native)
set(CORVANE_NATIVE_MKSKIN ${CORVANE_NATIVE_DIR}/bin/mkskin)
set(CORVANE_NATIVE_MKFONT ${CORVANE_NATIVE_DIR}/bin/mkfont)
set(CORVANE_NATIVE_VRNASM ${CORVANE_NATIVE_DIR}/bin/vrnasm)
set(CORVANE_NATIVE_VRNCC ${CORVANE_NATIVE_DIR}/bin/vrncc)
ExternalProject_Add(corvane_native_tools
  SOURCE_DIR ${CMAKE_SOURCE_DIR}
  BINARY_DIR ${CORVANE_NATIVE_DIR}
  CMAKE_ARGS -DCMAKE_BUILD_TYPE=RelWithDebInfo
             -DCMAKE_C_COMPILER_LAUNCHER=${CMAKE_C_COMPILER_LAUNCHER}
             -DCMAKE_CXX_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER}
  BUILD_COMMAND ${CMAKE_COMMAND} --build ${CORVANE_NATIVE_DIR} --target mkskin mkfont vrnasm vrncc
  BUILD_ALWAYS ON
  INSTALL_COMMAND ""
  BUILD_BYPRODUCTS ${CORVANE_NATIVE_MKSKIN} ${CORVANE_NATIVE_MKFONT} ${CORVANE_NATIVE_VRNASM}
                   ${CORVANE_NATIVE_VRNCC})
