# The reader of orbit/published_tables.list, the one list of the published
# orbital tables (its opening comment gives the fields), for
# orbit/CMakeLists.txt and cmake/packaging.cmake.
#
# paleoviz_read_published_tables(LIST) reads the list file LIST and sets in
# the caller's scope
#   PUBLISHED_TABLES          the tables' symbols, in the list's order
#   PUBLISHED_TABLE_KEYS      their keys, in the same order
#   PUBLISHED_TABLE_<symbol>_<FIELD>
#                             each field of a table's line, FIELD one of
#                             KEY LAYOUT PAST FUTURE OLDEST STEP RECORDS
#                             PAST_SHA256 FUTURE_SHA256; FUTURE and
#                             FUTURE_SHA256 are empty for a table without a
#                             future file
# A line without the ten fields, a field not of its form, a step of 0, a
# future file without its checksum (or the reverse), or a key or symbol
# given twice stops with a message quoting the line. The forms keep every
# field safe to write as it is into C++ and into the assembler's .incbin.

set(PALEOVIZ_TABLE_FIELDS KEY SYMBOL LAYOUT PAST FUTURE OLDEST STEP RECORDS PAST_SHA256
    FUTURE_SHA256)
string(REPEAT "[0-9a-f]" 64 paleoviz_sha256_form)
set(PALEOVIZ_TABLE_FORM_KEY "^[a-z0-9][a-z0-9-]*$")
set(PALEOVIZ_TABLE_FORM_SYMBOL "^[a-z][A-Za-z0-9]*$")
set(PALEOVIZ_TABLE_FORM_LAYOUT "^[a-z][A-Za-z]*$")
set(PALEOVIZ_TABLE_FORM_PAST "^[A-Za-z0-9_][A-Za-z0-9_./-]*$")
set(PALEOVIZ_TABLE_FORM_FUTURE "^([A-Za-z0-9_][A-Za-z0-9_./-]*|-)$")
set(PALEOVIZ_TABLE_FORM_OLDEST "^-?[0-9]+(\\.[0-9]+)?$")
set(PALEOVIZ_TABLE_FORM_STEP "^[0-9]+(\\.[0-9]+)?$")
set(PALEOVIZ_TABLE_FORM_RECORDS "^[1-9][0-9]*$")
set(PALEOVIZ_TABLE_FORM_PAST_SHA256 "^${paleoviz_sha256_form}$")
set(PALEOVIZ_TABLE_FORM_FUTURE_SHA256 "^(${paleoviz_sha256_form}|-)$")

# Stops, quoting the line of the list that is wrong and why.
function(paleoviz_table_list_error list line problem)
  message(FATAL_ERROR "${list}: ${problem} in the line\n  ${line}")
endfunction()

# Checks each field of one line's fields against its form and sets
# PUBLISHED_TABLE_<symbol>_<FIELD> in the scope of the caller's caller.
function(paleoviz_read_table_line list line fields)
  list(GET fields 1 symbol)
  foreach(i RANGE 9)
    list(GET PALEOVIZ_TABLE_FIELDS ${i} name)
    list(GET fields ${i} value)
    if(NOT value MATCHES "${PALEOVIZ_TABLE_FORM_${name}}")
      paleoviz_table_list_error("${list}" "${line}" "\"${value}\" is not a valid ${name}")
    endif()
    if(value STREQUAL "-")
      set(value "")
    endif()
    set(${name} "${value}")
    set(PUBLISHED_TABLE_${symbol}_${name} "${value}" PARENT_SCOPE)
  endforeach()
  if(STEP MATCHES "^[0.]+$")
    paleoviz_table_list_error("${list}" "${line}" "a step of 0 kyr")
  endif()
  if((FUTURE STREQUAL "") AND NOT (FUTURE_SHA256 STREQUAL ""))
    paleoviz_table_list_error("${list}" "${line}" "a checksum without a future file")
  endif()
  if(NOT (FUTURE STREQUAL "") AND (FUTURE_SHA256 STREQUAL ""))
    paleoviz_table_list_error("${list}" "${line}" "a future file without its checksum")
  endif()
endfunction()

function(paleoviz_read_published_tables list)
  file(STRINGS "${list}" lines)
  set(symbols "")
  set(keys "")
  foreach(line IN LISTS lines)
    if(line MATCHES "^[ \t]*(#|$)")
      continue()
    endif()
    string(REGEX MATCHALL "[^ \t]+" fields "${line}")
    list(LENGTH fields count)
    if(NOT count EQUAL 10)
      paleoviz_table_list_error("${list}" "${line}" "${count} fields where 10 are expected")
    endif()
    list(GET fields 0 key)
    list(GET fields 1 symbol)
    list(FIND keys "${key}" key_at)
    list(FIND symbols "${symbol}" symbol_at)
    if(NOT key_at EQUAL -1 OR NOT symbol_at EQUAL -1)
      paleoviz_table_list_error("${list}" "${line}" "a key or symbol given twice")
    endif()
    paleoviz_read_table_line("${list}" "${line}" "${fields}")
    foreach(name IN LISTS PALEOVIZ_TABLE_FIELDS)
      set(PUBLISHED_TABLE_${symbol}_${name} "${PUBLISHED_TABLE_${symbol}_${name}}" PARENT_SCOPE)
    endforeach()
    list(APPEND symbols ${symbol})
    list(APPEND keys ${key})
  endforeach()
  set(PUBLISHED_TABLES "${symbols}" PARENT_SCOPE)
  set(PUBLISHED_TABLE_KEYS "${keys}" PARENT_SCOPE)
endfunction()

# paleoviz_write_published_table_header(TEMPLATE OUTPUT), in the scope of a
# paleoviz_read_published_tables call: writes the tables as C++ from
# TEMPLATE (orbit/published_table_list.h.in) to OUTPUT, which is rewritten
# only when it changes.
function(paleoviz_write_published_table_header template output)
  set(symbol_lines "")
  set(row_lines "")
  foreach(symbol IN LISTS PUBLISHED_TABLES)
    set(table PUBLISHED_TABLE_${symbol})
    set(future nullptr)
    if(NOT ${table}_FUTURE STREQUAL "")
      set(future "\"${${table}_FUTURE}\"")
    endif()
    list(APPEND symbol_lines "    ${symbol},")
    list(APPEND row_lines
         "    {TableId::${symbol}, \"${symbol}\", TableLayout::${${table}_LAYOUT}, \\\n     \"${${table}_PAST}\", ${future}, ${${table}_OLDEST}, ${${table}_STEP}, ${${table}_RECORDS}, \"${${table}_KEY}\"},")
  endforeach()
  list(JOIN symbol_lines " \\\n" PALEOVIZ_TABLE_SYMBOL_LINES)
  list(JOIN row_lines " \\\n" PALEOVIZ_TABLE_ROW_LINES)
  configure_file(${template} ${output} @ONLY)
endfunction()
