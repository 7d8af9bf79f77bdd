# The web build's glyph tables web/bitmap_font_tables.cpp are exactly what
# tools/fonts/font_tables reads back from the system's GLUT. Needs an X
# server: a virtual one (xvfb-run) or DISPLAY; without either it is skipped.
#
# Included by the test folder, this file adds the test; run with 'cmake -P'
# it is the test itself.

if(NOT CMAKE_SCRIPT_MODE_FILE)
  add_test(NAME font_tables_regenerate
    COMMAND ${CMAKE_COMMAND} -DTOOL=$<TARGET_FILE:font_tables>
            -DDATA=${PROJECT_SOURCE_DIR}/web/bitmap_font_tables.cpp
            -DOUTPUT=${CMAKE_CURRENT_BINARY_DIR}/bitmap_font_tables.cpp
            -P ${CMAKE_CURRENT_LIST_FILE})
  set_tests_properties(font_tables_regenerate PROPERTIES SKIP_REGULAR_EXPRESSION "SKIP:"
                       RESOURCE_LOCK paleoviz_x11_display)
  return()
endif()

find_program(XVFB_RUN xvfb-run)
find_program(XVFB Xvfb)
if(XVFB_RUN AND XVFB)
  set(command ${XVFB_RUN} -a -s "-screen 0 640x480x24" ${TOOL} ${OUTPUT})
elseif(DEFINED ENV{DISPLAY})
  set(command ${TOOL} ${OUTPUT})
else()
  message("SKIP: no X server (neither xvfb-run with Xvfb nor DISPLAY) to draw the glyphs in")
  return()
endif()
file(REMOVE ${OUTPUT})
execute_process(COMMAND ${command} RESULT_VARIABLE result ERROR_VARIABLE errors)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "font_tables failed (${result}): ${errors}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${OUTPUT} ${DATA} RESULT_VARIABLE differ)
if(NOT differ EQUAL 0)
  message(FATAL_ERROR "web/bitmap_font_tables.cpp differs from a fresh run of font_tables")
endif()
