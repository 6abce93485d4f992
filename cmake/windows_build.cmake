# What the Windows cross build needs beyond the toolchain file.

# Test programs, and anything else the build runs that is a Windows executable, go through Wine
# with one prefix inside the build tree.
set(CORVANE_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_SOURCE_DIR}/scripts/wine-run.sh ${CORVANE_WINEPREFIX})

# GoogleTest is built from the sources Debian ships, with the same compiler.
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

# giflib has no mingw package in Debian: Debian's own source package of it, which
# scripts/setup.sh fetches into build/sources/giflib, is compiled here with the cross compiler as
# a static library (the encoder, the decoder and the quantizer the window recordings use).
file(GLOB CORVANE_GIFLIB_DIR LIST_DIRECTORIES true ${CMAKE_SOURCE_DIR}/build/sources/giflib/giflib-*)
list(FILTER CORVANE_GIFLIB_DIR INCLUDE REGEX "/giflib-[0-9.]+$")
if(NOT CORVANE_GIFLIB_DIR)
  message(FATAL_ERROR "The Windows build needs giflib's source in build/sources/giflib, and it is "
                      "not there: run scripts/setup.sh (or make setup), which fetches Debian's "
                      "source package of giflib, then configure again.")
endif()
list(GET CORVANE_GIFLIB_DIR 0 CORVANE_GIFLIB_DIR)
add_library(corvane_giflib STATIC
  ${CORVANE_GIFLIB_DIR}/dgif_lib.c ${CORVANE_GIFLIB_DIR}/egif_lib.c
  ${CORVANE_GIFLIB_DIR}/gifalloc.c ${CORVANE_GIFLIB_DIR}/gif_err.c
  ${CORVANE_GIFLIB_DIR}/gif_hash.c ${CORVANE_GIFLIB_DIR}/openbsd-reallocarray.c
  ${CORVANE_GIFLIB_DIR}/quantize.c)
target_include_directories(corvane_giflib SYSTEM PUBLIC ${CORVANE_GIFLIB_DIR})
# Someone else's code: its warnings are not ours to fix.
target_compile_options(corvane_giflib PRIVATE -w)

# Header-only libraries come from the build machine's include folder, one package at a time
# (the whole folder would hide the cross compiler's own headers).
set(CORVANE_CROSS_HEADERS ${CMAKE_BINARY_DIR}/cross-include)
file(MAKE_DIRECTORY ${CORVANE_CROSS_HEADERS})
foreach(package stb nlohmann)
  if(EXISTS /usr/include/${package} AND NOT EXISTS ${CORVANE_CROSS_HEADERS}/${package})
    file(CREATE_LINK /usr/include/${package} ${CORVANE_CROSS_HEADERS}/${package} SYMBOLIC)
  endif()
endforeach()
include_directories(SYSTEM ${CORVANE_CROSS_HEADERS})

# The programs that draw the artwork, render the font data file and build the demos run on
# the build machine. CORVANE_NATIVE_TOOLS names the bin folder of a native build of the same
# sources that has them (make test-windows names the default build's, which it brings up to date
# first); without it they are built here, in a native build kept inside this build tree.
set(CORVANE_NATIVE_TOOLS "" CACHE PATH
    "bin folder of an up-to-date native build with mkskin, mkfont, vrnasm and vrncc")
if(CORVANE_NATIVE_TOOLS)
  set(CORVANE_NATIVE_MKSKIN ${CORVANE_NATIVE_TOOLS}/mkskin)
  set(CORVANE_NATIVE_MKFONT ${CORVANE_NATIVE_TOOLS}/mkfont)
  set(CORVANE_NATIVE_VRNASM ${CORVANE_NATIVE_TOOLS}/vrnasm)
  set(CORVANE_NATIVE_VRNCC ${CORVANE_NATIVE_TOOLS}/vrncc)
  foreach(tool ${CORVANE_NATIVE_MKSKIN} ${CORVANE_NATIVE_MKFONT} ${CORVANE_NATIVE_VRNASM}
               ${CORVANE_NATIVE_VRNCC})
    if(NOT EXISTS ${tool})
      message(FATAL_ERROR "CORVANE_NATIVE_TOOLS: ${tool} is not there; build the native tools "
                          "first or leave CORVANE_NATIVE_TOOLS empty")
    endif()
  endforeach()
  add_custom_target(corvane_native_tools)
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
