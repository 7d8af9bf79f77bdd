# pip install from a clean copy of the sources (the files git knows, or
# without git every file outside build folders) into a fresh virtual
# environment with Debian's packages (python3 -m venv
# --system-site-packages), offline (--no-index) and without build
# isolation; then the package imported from a folder outside both trees.
file(REMOVE_RECURSE ${SCRATCH})
file(MAKE_DIRECTORY ${SCRATCH}/elsewhere)
execute_process(COMMAND git -C ${SOURCE} ls-files --cached --others --exclude-standard
                OUTPUT_VARIABLE listed RESULT_VARIABLE status ERROR_QUIET)
if(status EQUAL 0)
  string(REPLACE "\n" ";" files "${listed}")
else()
  file(GLOB_RECURSE files RELATIVE ${SOURCE} ${SOURCE}/*)
  list(FILTER files EXCLUDE REGEX "^(build[^/]*|\\.git)/")
endif()
foreach(f ${files})
  if(EXISTS ${SOURCE}/${f} AND NOT IS_DIRECTORY ${SOURCE}/${f})
    get_filename_component(folder ${SCRATCH}/src/${f} DIRECTORY)
    file(COPY ${SOURCE}/${f} DESTINATION ${folder})
  endif()
endforeach()

execute_process(COMMAND ${PYTHON} -m venv --system-site-packages ${SCRATCH}/venv RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "python3 -m venv failed (Debian's python3-venv installed?)")
endif()
# ccache, when there is one, makes the second run quick: the copy's path
# stays the same.
find_program(CCACHE ccache)
set(cmake_args "")
if(CCACHE)
  set(cmake_args -DCMAKE_CXX_COMPILER_LAUNCHER=${CCACHE})
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E env "CMAKE_ARGS=${cmake_args}" CMAKE_BUILD_PARALLEL_LEVEL=2
                        PIP_DISABLE_PIP_VERSION_CHECK=1
                        ${SCRATCH}/venv/bin/python -m pip install --no-build-isolation --no-index ${SCRATCH}/src
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "pip install failed:\n${out}\n${err}")
endif()
execute_process(COMMAND ${SCRATCH}/venv/bin/python -c
  "import paleoviz as pv; print(pv.__file__, pv.__version__, round(pv.daily_insolation(pv.Orbit(0.0167, 23.44, 102.9), 65, 90), 1), pv.elements(-249000, 'la2010a')['eccentricity'])"
  WORKING_DIRECTORY ${SCRATCH}/elsewhere
  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
# The published tables travel inside the extension: La2010a's last record.
if(NOT status EQUAL 0 OR NOT out MATCHES "^${SCRATCH}/venv/lib/" OR NOT out MATCHES " 0.034726223\n$")
  message(FATAL_ERROR "import from the virtual environment failed: ${out}${err}")
endif()
message(STATUS "${out}")
file(REMOVE_RECURSE ${SCRATCH})
