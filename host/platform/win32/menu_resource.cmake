# Writes the resource script of the pop-up menu (101) and the accelerator table (102) from
# resources/menu.inc, the one definition the host's own menu also reads, so the two never differ.
# The texts are the default language's (the first of LANGUAGES); the program sets every item's
# text in the language chosen before the menu shows, so one resource serves every language. The
# language sub-menu has an item per table, named in its own language.
#   cmake -DINPUT=menu.inc -DTEXTS_DIR=resources/texts -DLANGUAGES=zh,en -DOUTPUT=menu.rc
#         -P menu_resource.cmake
string(REPLACE "," ";" languages "${LANGUAGES}")
list(GET languages 0 default_language)

# The text of `id` in a language's table, as the resource compiler wants it.
function(text_of language id out)
  file(READ ${TEXTS_DIR}/${language}.txt table)
  if(NOT table MATCHES "(^|\n)${id} *= *\"([^\n]*)\"[ \t\r]*(\n|$)")
    message(FATAL_ERROR "${language}.txt has no text ${id}")
  endif()
  set(text "${CMAKE_MATCH_2}")
  if(text MATCHES "[\\\"]")
    message(FATAL_ERROR "${language}.txt: the menu text ${id} may hold no quote or backslash")
  endif()
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

file(STRINGS ${INPUT} lines ENCODING UTF-8)
set(top "")
set(sub "")
set(accel "")
set(submenu_text "")
set(languages_text "")
foreach(line IN LISTS lines)
  if(line MATCHES "^MENU_ITEM\\(([A-Za-z0-9]+), ([0-9]+)\\)")
    set(command ${CMAKE_MATCH_2})
    text_of(${default_language} ${CMAKE_MATCH_1} text)
    list(APPEND top "    MENUITEM \"${text}\", ${command}")
  elseif(line MATCHES "^MENU_SEPARATOR\\(\\)")
    list(APPEND top "    MENUITEM SEPARATOR")
  elseif(line MATCHES "^MENU_RUNTIME\\(([0-9]+)\\)")
    # No text of its own: the program gives it one, or removes it.
    list(APPEND top "    MENUITEM \"\", ${CMAKE_MATCH_1}")
  elseif(line MATCHES "^MENU_SUBMENU\\(([A-Za-z0-9]+)\\)")
    list(APPEND top "@SUBMENU@")
    text_of(${default_language} ${CMAKE_MATCH_1} submenu_text)
  elseif(line MATCHES "^SUBMENU_ITEM\\(([A-Za-z0-9]+), ([0-9]+)\\)")
    set(command ${CMAKE_MATCH_2})
    text_of(${default_language} ${CMAKE_MATCH_1} text)
    list(APPEND sub "        MENUITEM \"${text}\", ${command}")
  elseif(line MATCHES "^SUBMENU_SEPARATOR\\(\\)")
    list(APPEND sub "        MENUITEM SEPARATOR")
  elseif(line MATCHES "^SUBMENU_LANGUAGES\\(([A-Za-z0-9]+)\\)")
    list(APPEND sub "@LANGUAGES@")
    text_of(${default_language} ${CMAKE_MATCH_1} languages_text)
  elseif(line MATCHES "^ACCELERATOR\\((0x[0-9A-Fa-f]+|[0-9]+), ([0-9]+)\\)")
    math(EXPR key "${CMAKE_MATCH_1}")
    list(APPEND accel "    ${key}, ${CMAKE_MATCH_2}, VIRTKEY")
  endif()
endforeach()

# One command per language, from 40091 on, in the order of LANGUAGES.
set(language_items "")
set(command 40091)
foreach(language ${languages})
  text_of(${language} LanguageName name)
  list(APPEND language_items "            MENUITEM \"${name}\", ${command}")
  math(EXPR command "${command} + 1")
endforeach()
list(JOIN language_items "\n" language_items_text)
set(languages_popup
    "        POPUP \"${languages_text}\"\n        BEGIN\n${language_items_text}\n        END")

list(JOIN sub "\n" sub_text)
string(REPLACE "@LANGUAGES@" "${languages_popup}" sub_text "${sub_text}")
set(submenu "    POPUP \"${submenu_text}\"\n    BEGIN\n${sub_text}\n    END")
list(JOIN top "\n" top_text)
string(REPLACE "@SUBMENU@" "${submenu}" top_text "${top_text}")
list(JOIN accel "\n" accel_text)
text_of(${default_language} MenuFile file_text)
file(WRITE ${OUTPUT}
"// Generated from resources/menu.inc and resources/texts by menu_resource.cmake: do not edit.
#pragma code_page(65001)
101 MENU
BEGIN
  POPUP \"${file_text}\"
  BEGIN
${top_text}
  END
END

102 ACCELERATORS
BEGIN
${accel_text}
END
")
