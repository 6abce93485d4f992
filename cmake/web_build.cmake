# What the WebAssembly build (Debian's emscripten) needs beyond its toolchain file.

# Debian's emscripten runs its JavaScript tools with the machine's node, which finds Debian's
# node modules (acorn) only through NODE_PATH: the link gets it whatever shell runs the build.
set(CMAKE_CXX_LINKER_LAUNCHER ${CMAKE_COMMAND} -E env NODE_PATH=/usr/share/nodejs)

# WebAssembly has no computed goto: the run loop takes its portable dispatch, the switch that the
# default build tests against the threaded one (test_vm_portable).
add_compile_definitions(CORVANE_PORTABLE_DISPATCH)

include(cmake/cross_build.cmake)
corvane_cross_giflib(web)
corvane_cross_headers()

# The programs that draw the artwork, render the font data file and build the demos run on the
# build machine: CORVANE_NATIVE_TOOLS names the bin folder of a native build that has them
# (make web names the default build's, which it brings up to date first).
set(CORVANE_NATIVE_TOOLS "" CACHE PATH
    "bin folder of an up-to-date native build with mkskin, mkfont, vrnasm and vrncc")
if(NOT CORVANE_NATIVE_TOOLS)
  message(FATAL_ERROR "The web build takes its build-time tools from a native build: configure "
                      "with -DCORVANE_NATIVE_TOOLS=<default build>/bin (make web does)")
endif()
corvane_native_tools_in(${CORVANE_NATIVE_TOOLS} "build the native tools first")
