# What the WebAssembly build (Debian's emscripten) needs beyond its toolchain file.

# Debian's emscripten runs its JavaScript tools with the machine's node, which finds Debian's
# node modules (acorn) only through NODE_PATH: the link gets it whatever shell runs the build.
set(CMAKE_CXX_LINKER_LAUNCHER ${CMAKE_COMMAND} -E env NODE_PATH=/usr/share/nodejs)

# WebAssembly has no computed goto: the run loop takes its portable dispatch, the switch that the
# default build tests against the threaded one (test_vm_portable).
add_compile_definitions(CORVANE_PORTABLE_DISPATCH)

# The link's optimiser inlines every function that has one caller, whatever its size: the run
# loop's out-of-line pieces (a loop in place, entered once and looping long) went back into the
# one very large function of the batch run. The browser first runs WebAssembly through its quick
# compiler and compiles a function well only once it is found hot and only for its next call, so
# a loop inside that large function ran the quick code for the first second or more of a program
# (until the large function was compiled well and called again). Kept apart, a loop is a small
# function compiled well within a few frames. Small functions with one caller are still inlined.
set(CORVANE_WEB_INLINING -sBINARYEN_EXTRA_PASSES=--one-caller-inline-max-function-size=100)

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

# The run loop's own rate (bench/run_rate.cpp) in WebAssembly, for node to run beside the native
# build's: the interpreter measured apart from the page. Linked as the site is (memory may grow);
# the image is read from the machine's own files; the WebAssembly is inside the script. Built on request only (cmake --build --preset
# web --target run_rate; node build/web/bin/run_rate.js IMAGE).
add_executable(run_rate EXCLUDE_FROM_ALL ${CMAKE_SOURCE_DIR}/bench/run_rate.cpp)
target_link_libraries(run_rate PRIVATE corvane_core)
target_link_options(run_rate PRIVATE ${CORVANE_WEB_INLINING} -sALLOW_MEMORY_GROWTH=1 -sNODERAWFS=1
                                     -sENVIRONMENT=node -sSINGLE_FILE=1)
