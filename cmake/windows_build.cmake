# What the Windows cross build needs beyond the toolchain file.

# Test programs, and anything else the build runs that is a Windows executable, go through Wine
# with one prefix inside the build tree.
set(CORVANE_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_SOURCE_DIR}/scripts/wine-run.sh ${CORVANE_WINEPREFIX})

# GoogleTest is built from the sources Debian ships, with the same compiler.
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

include(cmake/cross_build.cmake)
corvane_cross_giflib(Windows)
corvane_cross_headers()

# The programs that draw the artwork, render the font data file and build the demos run on
# the build machine. CORVANE_NATIVE_TOOLS names the bin folder of a native build of the same
# sources that has them (make test-windows names the default build's, which it brings up to date
# first); without it they are built here, in a native build kept inside this build tree.
set(CORVANE_NATIVE_TOOLS "" CACHE PATH
    "bin folder of an up-to-date native build with mkskin, mkfont, vrnasm and vrncc")
if(CORVANE_NATIVE_TOOLS)
  corvane_native_tools_in(${CORVANE_NATIVE_TOOLS}
                          "build the native tools first or leave CORVANE_NATIVE_TOOLS empty")
else()
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
endif()
