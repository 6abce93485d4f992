# Keeps the include arrows pointing down. Reads every quoted include of the project's sources
# and fails, naming each, when a file includes something of a layer above its own:
#
#   shared/ (its own files)   shared/ only: standard C++ and the systems' own headers
#   shared/<folder>/          shared/ and the core (vm/, display/, library/)
#   vm/                       vm/, shared/ and display/display_state.h (the machine's drawing state)
#   display/                  vm/, display/, shared/
#   library/                  vm/, display/, library/, shared/
#   host/                     anything but tools/; outside host/platform/, nothing of host/platform/
#   tools/                    anything but host/
#
# Inside the core display/ sits below library/: printf writes through the console, while drawing
# and text need nothing of strings, files or keys.
#
# Usage: cmake -DSOURCE_DIR=<source tree> -P layers.cmake
if(NOT SOURCE_DIR)
  message(FATAL_ERROR "layers.cmake needs -DSOURCE_DIR=<source tree>")
endif()

set(core "vm|display|library")
set(violations "")
foreach(top shared vm display library host tools)
  file(GLOB_RECURSE files RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/${top}/*.h ${SOURCE_DIR}/${top}/*.cpp)
  foreach(file ${files})
    # What this file may include, as a pattern over the included path.
    if(file MATCHES "^shared/[^/]+$")
      set(allowed "^shared/")
    elseif(file MATCHES "^shared/")
      set(allowed "^(shared|${core})/")
    elseif(file MATCHES "^vm/")
      set(allowed "^(vm/|shared/|display/display_state\\.h$)")
    elseif(file MATCHES "^display/")
      set(allowed "^(vm|display|shared)/")
    elseif(file MATCHES "^library/")
      set(allowed "^(vm|display|library|shared)/")
    elseif(file MATCHES "^host/platform/")
      set(allowed "^(shared|${core}|host)/")
    elseif(file MATCHES "^host/")
      set(allowed "^(shared|${core}|host/[^/]+$)")
    else()
      set(allowed "^(shared|${core}|tools)/")
    endif()
    file(STRINGS ${SOURCE_DIR}/${file} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
    foreach(line ${lines})
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]*)\".*$" "\\1" included "${line}")
      # Only paths from the top of the source tree name a layer; others are a folder's own files.
      if(NOT included MATCHES "^(shared|vm|display|library|host|tools)/")
        continue()
      endif()
      if(NOT included MATCHES "${allowed}")
        string(APPEND violations "\n  ${file} includes ${included}")
      endif()
    endforeach()
  endforeach()
endforeach()

if(violations)
  message(FATAL_ERROR "Includes that point up a layer:${violations}")
endif()
