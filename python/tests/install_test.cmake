# cmake --install of the component "python" into a scratch prefix, then the
# package imported and used from a folder outside the source and build
# trees, with that prefix's site-packages on PYTHONPATH; the orbital tables
# compiled into the extension come along.
file(REMOVE_RECURSE ${SCRATCH})
file(MAKE_DIRECTORY ${SCRATCH}/elsewhere)
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --component python --prefix ${SCRATCH}/prefix
                RESULT_VARIABLE status OUTPUT_QUIET)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${status}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E env PYTHONPATH=${SCRATCH}/prefix/${PACKAGE_DIR}
                        ${PYTHON} -c "import paleoviz; print(paleoviz.__file__, round(paleoviz.annual_insolation(0, 65), 1), paleoviz.elements(-249000, 'la2010a')['eccentricity'])"
                WORKING_DIRECTORY ${SCRATCH}/elsewhere
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
# The published tables travel inside the extension: La2010a's last record.
if(NOT status EQUAL 0 OR NOT out MATCHES "^${SCRATCH}/prefix/" OR NOT out MATCHES " 0.034726223\n$")
  message(FATAL_ERROR "import from the installed prefix failed: ${out}${err}")
endif()
message(STATUS "${out}")
file(REMOVE_RECURSE ${SCRATCH})
