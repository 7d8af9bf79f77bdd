# The logo picture data/logo.rgba is exactly what tools/logo writes.
#
# Included by the test folder, this file adds the test; run with 'cmake -P'
# it is the test itself.

if(NOT CMAKE_SCRIPT_MODE_FILE)
  add_test(NAME logo_regenerate
    COMMAND ${CMAKE_COMMAND} -DTOOL=$<TARGET_FILE:logo_image>
            -DDATA=${PROJECT_SOURCE_DIR}/data/logo.rgba
            -DOUTPUT=${CMAKE_CURRENT_BINARY_DIR}/logo.rgba
            -P ${CMAKE_CURRENT_LIST_FILE})
  return()
endif()

file(REMOVE ${OUTPUT})
execute_process(COMMAND ${TOOL} ${OUTPUT} RESULT_VARIABLE result ERROR_VARIABLE errors)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "logo_image failed (${result}): ${errors}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${OUTPUT} ${DATA} RESULT_VARIABLE differ)
if(NOT differ EQUAL 0)
  message(FATAL_ERROR "data/logo.rgba differs from a fresh run of logo_image")
endif()
