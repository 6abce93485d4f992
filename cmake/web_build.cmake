# What the WebAssembly build (Debian's emscripten) needs beyond its toolchain file.

# Debian's emscripten runs its JavaScript tools with the machine's node, which finds Debian's
# node modules (acorn) only through NODE_PATH: the link gets it whatever shell runs the build.
set(CMAKE_CXX_LINKER_LAUNCHER ${CMAKE_COMMAND} -E env NODE_PATH=/usr/share/nodejs)

# WebAssembly has no computed goto: the run loop takes its portable dispatch, the switch that the
# default build tests against the threaded one (test_vm_portable).
add_compile_definitions(CORVANE_PORTABLE_DISPATCH)

# giflib has no WebAssembly package: Debian's own source package of it, which scripts/setup.sh
# fetches into build/sources/giflib, is compiled here with emcc as a static library (the encoder,
# the decoder and the quantizer the window recordings use), as the Windows build does.
file(GLOB CORVANE_GIFLIB_DIR LIST_DIRECTORIES true ${CMAKE_SOURCE_DIR}/build/sources/giflib/giflib-*)
list(FILTER CORVANE_GIFLIB_DIR INCLUDE REGEX "/giflib-[0-9.]+$")
if(NOT CORVANE_GIFLIB_DIR)
  message(FATAL_ERROR "The web build needs giflib's source in build/sources/giflib, and it is "
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
# (the whole folder would hide emscripten's own system headers).
set(CORVANE_CROSS_HEADERS ${CMAKE_BINARY_DIR}/cross-include)
file(MAKE_DIRECTORY ${CORVANE_CROSS_HEADERS})
foreach(package stb nlohmann)
  if(EXISTS /usr/include/${package} AND NOT EXISTS ${CORVANE_CROSS_HEADERS}/${package})
    file(CREATE_LINK /usr/include/${package} ${CORVANE_CROSS_HEADERS}/${package} SYMBOLIC)
  endif()
endforeach()
include_directories(SYSTEM ${CORVANE_CROSS_HEADERS})

# The programs that draw the artwork, render the font data file and build the demos run on the
# build machine: CORVANE_NATIVE_TOOLS names the bin folder of a native build that has them
# (make web names the default build's, which it brings up to date first).
set(CORVANE_NATIVE_TOOLS "" CACHE PATH
    "bin folder of an up-to-date native build with mkskin, mkfont, vrnasm and vrncc")
if(NOT CORVANE_NATIVE_TOOLS)
  message(FATAL_ERROR "The web build takes its build-time tools from a native build: configure "
                      "with -DCORVANE_NATIVE_TOOLS=<default build>/bin (make web does)")
endif()
set(CORVANE_NATIVE_MKSKIN ${CORVANE_NATIVE_TOOLS}/mkskin)
set(CORVANE_NATIVE_MKFONT ${CORVANE_NATIVE_TOOLS}/mkfont)
set(CORVANE_NATIVE_VRNASM ${CORVANE_NATIVE_TOOLS}/vrnasm)
set(CORVANE_NATIVE_VRNCC ${CORVANE_NATIVE_TOOLS}/vrncc)
foreach(tool ${CORVANE_NATIVE_MKSKIN} ${CORVANE_NATIVE_MKFONT} ${CORVANE_NATIVE_VRNASM}
             ${CORVANE_NATIVE_VRNCC})
  if(NOT EXISTS ${tool})
    message(FATAL_ERROR "CORVANE_NATIVE_TOOLS: ${tool} is not there; build the native tools first")
  endif()
endforeach()
add_custom_target(corvane_native_tools)
