# The term table orbit/la2004_fit_terms.h is what the fitting tool makes of
# the shipped La2004 table of the past, as docs/data.md says to regenerate
# it (regenerate_fit_terms.py; about a minute and a half of fitting on one
# core). Included by the orbit tests (tests/data/orbit.cmake).
find_program(PALEOVIZ_TEST_PYTHON python3 PATHS /usr/bin NO_DEFAULT_PATH)
if(PALEOVIZ_TEST_PYTHON)
  add_test(NAME la2004_fit_terms_regenerate
           COMMAND ${PALEOVIZ_TEST_PYTHON} ${CMAKE_CURRENT_LIST_DIR}/regenerate_fit_terms.py
                   $<TARGET_FILE:orbit_fit>
                   ${PROJECT_SOURCE_DIR}/data/la2004/la2004-past-0-51000kyr.asc.gz
                   ${PROJECT_SOURCE_DIR}/orbit/la2004_fit_terms.h
                   ${CMAKE_CURRENT_BINARY_DIR}/la2004_fit)
else()
  add_test(NAME la2004_fit_terms_regenerate
           COMMAND ${CMAKE_COMMAND} -E echo "/usr/bin/python3 is not installed")
  set_tests_properties(la2004_fit_terms_regenerate PROPERTIES SKIP_RETURN_CODE 0)
endif()
