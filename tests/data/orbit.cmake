# The orbital series file "orbit95b": the tests of the orbit library, the
# generator, the fitting tool and the build step of the published tables,
# the committed data/orbit95b regenerated from the published solution of
# Laskar et al. (2004) and the committed orbit/la2004_fit_terms.h from its
# table by the fitting tool, each compared byte for byte.
add_executable(orbit_series_tests ${PROJECT_SOURCE_DIR}/tests/orbit/orbit_series_test.cpp
               ${PROJECT_SOURCE_DIR}/tests/orbit/orbital_elements_test.cpp
               ${PROJECT_SOURCE_DIR}/tests/orbit/orbit_fit_test.cpp
               ${PROJECT_SOURCE_DIR}/tests/orbit/la2004_test.cpp
               ${PROJECT_SOURCE_DIR}/tests/orbit/published_solutions_test.cpp
               ${PROJECT_SOURCE_DIR}/tests/orbit/published_table_list_test.cpp)
target_link_libraries(orbit_series_tests PRIVATE orbit_fit_lib paleoviz_testkit ZLIB::ZLIB
                      GTest::gtest GTest::gtest_main)
target_compile_definitions(orbit_series_tests PRIVATE
  ORBIT_SERIES_TOOL="$<TARGET_FILE:orbit_series>" ORBIT_FIT_TOOL="$<TARGET_FILE:orbit_fit>"
  TABLES_EMBED_TOOL="$<TARGET_FILE:orbit_tables_embed>" CMAKE_COMMAND="${CMAKE_COMMAND}")
target_compile_definitions(orbit_series_tests PRIVATE ${PALEOVIZ_TEST_DEFINITIONS})
target_include_directories(orbit_series_tests PRIVATE ${PROJECT_SOURCE_DIR})
add_dependencies(orbit_series_tests orbit_series orbit_fit orbit_tables_embed)
gtest_discover_tests(orbit_series_tests DISCOVERY_TIMEOUT 60)

add_test(NAME orbit95b_regenerate
         COMMAND orbit_series la2004 ${CMAKE_CURRENT_BINARY_DIR}/orbit95b)
set_tests_properties(orbit95b_regenerate PROPERTIES FIXTURES_SETUP orbit95b_generated)
add_test(NAME orbit95b_matches_committed
         COMMAND ${CMAKE_COMMAND} -E compare_files ${PROJECT_SOURCE_DIR}/data/orbit95b
                 ${CMAKE_CURRENT_BINARY_DIR}/orbit95b)
set_tests_properties(orbit95b_matches_committed PROPERTIES FIXTURES_REQUIRED orbit95b_generated)

include(${PROJECT_SOURCE_DIR}/tests/orbit/la2004_fit_terms.cmake)
