# The host's texts: one table per language in resources/texts/<code>.txt, built into every front
# end. At configure time this writes, below the build tree's generated/ folder:
#   host/text_ids.h       the ids (TextId), taken from the default language's table, which has
#                         them all, and the number of languages;
#   host/text_tables.cpp  each table's text as it is, default language first, the others in the
#                         order of their codes; host/texts.cpp reads them at the first lookup.
# Editing a table, or adding one, configures again. Sets CORVANE_TEXT_SOURCES,
# CORVANE_TEXT_INCLUDE_DIR and CORVANE_TEXT_LANGUAGES (the codes, in that order).
set(CORVANE_TEXTS_DIR ${CMAKE_SOURCE_DIR}/resources/texts)
set(CORVANE_DEFAULT_LANGUAGE zh)
set(CORVANE_TEXT_INCLUDE_DIR ${CMAKE_BINARY_DIR}/generated)
set(out_dir ${CORVANE_TEXT_INCLUDE_DIR}/host)
set(staging ${CMAKE_BINARY_DIR}/generated-staging)

file(GLOB text_files CONFIGURE_DEPENDS ${CORVANE_TEXTS_DIR}/*.txt)
list(SORT text_files)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${text_files})
set(CORVANE_TEXT_LANGUAGES ${CORVANE_DEFAULT_LANGUAGE})
foreach(file ${text_files})
  get_filename_component(code ${file} NAME_WE)
  if(NOT code MATCHES "^[a-z][a-z0-9_-]*$")
    message(FATAL_ERROR "${file}: a table's name is its language code in lower case, e.g. en.txt")
  endif()
  if(NOT code STREQUAL CORVANE_DEFAULT_LANGUAGE)
    list(APPEND CORVANE_TEXT_LANGUAGES ${code})
  endif()
endforeach()
if(NOT EXISTS ${CORVANE_TEXTS_DIR}/${CORVANE_DEFAULT_LANGUAGE}.txt)
  message(FATAL_ERROR "the default language's table ${CORVANE_DEFAULT_LANGUAGE}.txt is missing")
endif()

# The ids: every "Id =" at the start of a line of the default table.
file(READ ${CORVANE_TEXTS_DIR}/${CORVANE_DEFAULT_LANGUAGE}.txt default_text)
string(REGEX MATCHALL "(^|\n)[A-Za-z][A-Za-z0-9]* *=" id_lines "${default_text}")
set(ids "")
set(names "")
foreach(line ${id_lines})
  string(REGEX REPLACE "^\n?([A-Za-z0-9]+) *=$" "\\1" id "${line}")
  string(APPEND ids "    ${id},\n")
  string(APPEND names "    \"${id}\",\n")
endforeach()
list(LENGTH id_lines id_count)
list(LENGTH CORVANE_TEXT_LANGUAGES language_count)

set(tables "")
foreach(code ${CORVANE_TEXT_LANGUAGES})
  file(READ ${CORVANE_TEXTS_DIR}/${code}.txt text)
  string(FIND "${text}" ")corvane_texts\"" clash)
  if(NOT clash EQUAL -1)
    message(FATAL_ERROR "${code}.txt holds the text that ends its raw string in the program")
  endif()
  string(APPEND tables "    {\"${code}\", R\"corvane_texts(${text})corvane_texts\"},\n")
endforeach()

file(WRITE ${staging}/text_ids.h
"#pragma once
// Generated from resources/texts/${CORVANE_DEFAULT_LANGUAGE}.txt by cmake/texts.cmake: do not edit.

#include <cstdint>

namespace corvane {

// A host text, by its name in the tables.
enum class TextId : uint16_t {
${ids}};

inline constexpr int kTextIdCount = ${id_count};
inline constexpr int kLanguageCount = ${language_count};

// One language's table as written: its code (the file's name) and its text.
struct TextTableSource {
    const char* code;
    const char* text;
};
// Default language first.
extern const TextTableSource kTextTableSources[kLanguageCount];
// The ids' names, in the order of TextId.
extern const char* const kTextIdNames[kTextIdCount];

}  // namespace corvane
")
file(WRITE ${staging}/text_tables.cpp
"// Generated from resources/texts/*.txt by cmake/texts.cmake: do not edit.
#include \"host/text_ids.h\"

namespace corvane {

const TextTableSource kTextTableSources[kLanguageCount] = {
${tables}};

const char* const kTextIdNames[kTextIdCount] = {
${names}};

}  // namespace corvane
")
# Copied only when they changed, so configuring again rebuilds nothing that did not.
foreach(name text_ids.h text_tables.cpp)
  configure_file(${staging}/${name} ${out_dir}/${name} COPYONLY)
endforeach()
set(CORVANE_TEXT_SOURCES ${out_dir}/text_tables.cpp ${out_dir}/text_ids.h)
