# Copies the demo images of a build's bin folder into the site and lists them in index.json,
# showcase first, for the page's menu of demos.
# Usage: cmake -DFROM=<bin folder> -DTO=<site>/demos -P copy_demos.cmake
file(GLOB images ${FROM}/*.vrn)
file(MAKE_DIRECTORY ${TO})
set(names "")
foreach(image ${images})
  get_filename_component(name ${image} NAME_WE)
  file(COPY ${image} DESTINATION ${TO})
  if(name STREQUAL "showcase")
    list(PREPEND names "\"${name}\"")
  else()
    list(APPEND names "\"${name}\"")
  endif()
endforeach()
list(JOIN names ", " list)
file(WRITE ${TO}/index.json "[${list}]\n")
