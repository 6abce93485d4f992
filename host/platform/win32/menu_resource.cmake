# Writes the resource script of the pop-up menu (101) and the accelerator table (102) from
# resources/menu.inc, the one definition the host's own menu also reads, so the two never differ.
#   cmake -DINPUT=menu.inc -DOUTPUT=menu.rc -P menu_resource.cmake
file(STRINGS ${INPUT} lines ENCODING UTF-8)
set(top "")
set(sub "")
set(accel "")
set(submenu_text "")
set(submenu_at -1)
set(n 0)
foreach(line IN LISTS lines)
  if(line MATCHES "^MENU_ITEM\\(\"([^\"]*)\", ([0-9]+)\\)")
    if(CMAKE_MATCH_1 STREQUAL "-")
      list(APPEND top "    MENUITEM SEPARATOR")
    else()
      list(APPEND top "    MENUITEM \"${CMAKE_MATCH_1}\", ${CMAKE_MATCH_2}")
    endif()
  elseif(line MATCHES "^MENU_SUBMENU\\(\"([^\"]*)\"\\)")
    list(APPEND top "@SUBMENU@")
    set(submenu_text "${CMAKE_MATCH_1}")
  elseif(line MATCHES "^SUBMENU_ITEM\\(\"([^\"]*)\", ([0-9]+)\\)")
    if(CMAKE_MATCH_1 STREQUAL "-")
      list(APPEND sub "        MENUITEM SEPARATOR")
    else()
      list(APPEND sub "        MENUITEM \"${CMAKE_MATCH_1}\", ${CMAKE_MATCH_2}")
    endif()
  elseif(line MATCHES "^ACCELERATOR\\((0x[0-9A-Fa-f]+|[0-9]+), ([0-9]+)\\)")
    math(EXPR key "${CMAKE_MATCH_1}")
    list(APPEND accel "    ${key}, ${CMAKE_MATCH_2}, VIRTKEY")
  endif()
endforeach()
list(JOIN sub "\n" sub_text)
set(submenu "    POPUP \"${submenu_text}\"\n    BEGIN\n${sub_text}\n    END")
list(JOIN top "\n" top_text)
string(REPLACE "@SUBMENU@" "${submenu}" top_text "${top_text}")
list(JOIN accel "\n" accel_text)
file(WRITE ${OUTPUT}
"// Generated from resources/menu.inc by menu_resource.cmake: do not edit.
#pragma code_page(65001)
101 MENU
BEGIN
  POPUP \"文件\"
  BEGIN
${top_text}
  END
END

102 ACCELERATORS
BEGIN
${accel_text}
END
")
