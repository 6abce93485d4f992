# What both cross builds (Windows and WebAssembly) take from the build machine in the same way:
# giflib compiled from Debian's source package, the header-only libraries, the native tools.

# giflib has no mingw or WebAssembly package in Debian: Debian's own source package of it, which
# scripts/setup.sh fetches into build/sources/giflib, is compiled with the cross compiler as a
# static library (the encoder, the decoder and the quantizer the window recordings use).
# `build_name` names the build in the message when the source is missing.
function(corvane_cross_giflib build_name)
  file(GLOB dir LIST_DIRECTORIES true ${CMAKE_SOURCE_DIR}/build/sources/giflib/giflib-*)
  list(FILTER dir INCLUDE REGEX "/giflib-[0-9.]+$")
  if(NOT dir)
    message(FATAL_ERROR "The ${build_name} build needs giflib's source in build/sources/giflib, "
                        "and it is not there: run scripts/setup.sh (or make setup), which fetches "
                        "Debian's source package of giflib, then configure again.")
  endif()
  list(GET dir 0 dir)
  add_library(corvane_giflib STATIC
    ${dir}/dgif_lib.c ${dir}/egif_lib.c ${dir}/gifalloc.c ${dir}/gif_err.c ${dir}/gif_hash.c
    ${dir}/openbsd-reallocarray.c ${dir}/quantize.c)
  target_include_directories(corvane_giflib SYSTEM PUBLIC ${dir})
  # Someone else's code: its warnings are not ours to fix.
  target_compile_options(corvane_giflib PRIVATE -w)
endfunction()

# Header-only libraries come from the build machine's include folder, one package at a time
# (the whole folder would hide the cross compiler's own system headers).
macro(corvane_cross_headers)
  set(CORVANE_CROSS_HEADERS ${CMAKE_BINARY_DIR}/cross-include)
  file(MAKE_DIRECTORY ${CORVANE_CROSS_HEADERS})
  foreach(package stb nlohmann)
    if(EXISTS /usr/include/${package} AND NOT EXISTS ${CORVANE_CROSS_HEADERS}/${package})
      file(CREATE_LINK /usr/include/${package} ${CORVANE_CROSS_HEADERS}/${package} SYMBOLIC)
    endif()
  endforeach()
  include_directories(SYSTEM ${CORVANE_CROSS_HEADERS})
endmacro()

# The programs that draw the artwork, render the font data file and build the demos run on the
# build machine, taken from the bin folder of a native build of the same sources: names them
# CORVANE_NATIVE_{MKSKIN,MKFONT,VRNASM,VRNCC} and stops with `missing_hint` if one is not there.
macro(corvane_native_tools_in bin missing_hint)
  set(CORVANE_NATIVE_MKSKIN ${bin}/mkskin)
  set(CORVANE_NATIVE_MKFONT ${bin}/mkfont)
  set(CORVANE_NATIVE_VRNASM ${bin}/vrnasm)
  set(CORVANE_NATIVE_VRNCC ${bin}/vrncc)
  foreach(tool ${CORVANE_NATIVE_MKSKIN} ${CORVANE_NATIVE_MKFONT} ${CORVANE_NATIVE_VRNASM}
               ${CORVANE_NATIVE_VRNCC})
    if(NOT EXISTS ${tool})
      message(FATAL_ERROR "CORVANE_NATIVE_TOOLS: ${tool} is not there; ${missing_hint}")
    endif()
  endforeach()
  add_custom_target(corvane_native_tools)
endmacro()
