# The elevation grid file data/partetopo and its generator
# tools/partetopo/make_partetopo.sh.
#
# Included by the test folder, this file adds the tests; run with
# 'cmake -P' it is the test itself, the case chosen by PARTETOPO_CASE.

if(NOT CMAKE_SCRIPT_MODE_FILE)
  find_program(PARTETOPO_GMT gmt)
  if(NOT PARTETOPO_GMT)
    message(STATUS "GMT not found: the elevation grid tests are left out")
    return()
  endif()
  set(_partetopo_args
    -DTOOL=${PROJECT_SOURCE_DIR}/tools/partetopo/make_partetopo.sh
    -DDATA=${PROJECT_SOURCE_DIR}/data/partetopo
    -DGMT=${PARTETOPO_GMT})
  foreach(_case regenerate layout elevation failures)
    add_test(NAME partetopo_${_case}
      COMMAND ${CMAKE_COMMAND} ${_partetopo_args} -DPARTETOPO_CASE=${_case}
              -DWORK=${CMAKE_CURRENT_BINARY_DIR}/partetopo_${_case}
              -P ${CMAKE_CURRENT_LIST_FILE})
  endforeach()
  return()
endif()

cmake_minimum_required(VERSION 3.16)
set(gridColumns 1080)

# Sample (row, col) of a grid file as a signed number.
function(read_sample file row col out)
  math(EXPR offset "(${row} * ${gridColumns} + ${col}) * 2")
  file(READ ${file} hex OFFSET ${offset} LIMIT 2 HEX)
  string(SUBSTRING "${hex}" 0 2 low)
  string(SUBSTRING "${hex}" 2 2 high)
  math(EXPR value "0x${high}${low}")
  if(value GREATER_EQUAL 32768)
    math(EXPR value "${value} - 65536")
  endif()
  set(${out} ${value} PARENT_SCOPE)
endfunction()

# Checks a list of "row:col:expected" triples against a grid file.
function(expect_samples file)
  foreach(triple ${ARGN})
    string(REPLACE ":" ";" fields ${triple})
    list(GET fields 0 row)
    list(GET fields 1 col)
    list(GET fields 2 expected)
    read_sample(${file} ${row} ${col} got)
    if(NOT got EQUAL expected)
      message(SEND_ERROR "${file}: row ${row} col ${col} is ${got}, expected ${expected}")
    endif()
  endforeach()
endfunction()

function(expect_size file bytes)
  file(SIZE ${file} size)
  if(NOT size EQUAL bytes)
    message(FATAL_ERROR "${file} has ${size} bytes, expected ${bytes}")
  endif()
endfunction()

# Runs the generator; sets result and stderr text in the caller.
macro(run_tool)
  execute_process(COMMAND sh ${TOOL} ${ARGN}
    WORKING_DIRECTORY ${WORK} RESULT_VARIABLE result ERROR_VARIABLE errors OUTPUT_QUIET)
endmacro()

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})

if(PARTETOPO_CASE STREQUAL "regenerate")
  # The committed file is exactly what the generator writes.
  run_tool(${WORK}/partetopo)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "generator failed (${result}): ${errors}")
  endif()
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${WORK}/partetopo ${DATA}
    RESULT_VARIABLE differ)
  if(NOT differ EQUAL 0)
    message(FATAL_ERROR "data/partetopo differs from a fresh run of the generator")
  endif()

elseif(PARTETOPO_CASE STREQUAL "layout")
  # Row r at latitude 90 - r/3, column c at longitude c/3 east: places whose
  # land or water is beyond doubt at one third of a degree.
  expect_size(${DATA} 1166400)
  expect_samples(${DATA}
    0:0:-1        # north pole, Arctic Ocean
    0:700:-1
    270:60:1      # equator 20E, Congo basin
    270:600:-1    # equator 160W, Pacific
    180:960:-1    # 30N 40W, Atlantic
    45:960:1      # 75N 40W, Greenland
    144:151:-1    # 42N 50.3E, Caspian Sea (a lake)
    273:99:-1     # 1S 33E, Lake Victoria
    133:834:1     # 45.7N 82W, Manitoulin Island in Lake Huron
    133:830:-1    # Lake Huron beside it
    510:0:1       # 80S, Antarctica
    539:500:1     # last row, Antarctica
    )

elseif(PARTETOPO_CASE STREQUAL "elevation")
  # A synthetic 1-degree grid whose value is 100 x longitude + 500 x latitude
  # + 0.6 (longitudes -180..180): nodes on whole degrees keep that value,
  # rounded; beyond +-32767 it is clamped.
  execute_process(COMMAND ${GMT} grdmath --GMT_HISTORY=false -R-180/180/-90/90 -I1
                          X 100 MUL Y 500 MUL ADD 0.6 ADD = synthetic.nc
    WORKING_DIRECTORY ${WORK} RESULT_VARIABLE made)
  if(NOT made EQUAL 0)
    message(FATAL_ERROR "gmt grdmath failed")
  endif()
  run_tool(--elevation synthetic.nc ${WORK}/resampled)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "generator failed (${result}): ${errors}")
  endif()
  expect_size(${WORK}/resampled 1166400)
  expect_samples(${WORK}/resampled
    270:0:1            # 0N 0E: 0.6
    270:30:1001        # 0N 10E
    240:60:7001        # 10N 20E
    300:1020:-6999     # 10S 20W: -6999.4
    270:600:-15999     # 0N 160W
    100:900:22334      # 56.67N 60W, between nodes
    30:510:32767       # 80N 170E: 57000.6 clamped
    510:570:-32768     # 80S 170W clamped
    0:0:32767          # north pole
    )

elseif(PARTETOPO_CASE STREQUAL "failures")
  # Each failure ends with a non-zero status, a message, and no output file.
  execute_process(COMMAND ${GMT} grdmath --GMT_HISTORY=false -R0/90/0/45 -I1 X = regional.nc
    WORKING_DIRECTORY ${WORK})
  file(WRITE ${WORK}/junk.nc "not a grid\n")
  set(cases
    "--elevation,missing.nc,OUT|cannot read elevation grid"
    "--elevation,junk.nc,OUT|cannot read 'junk.nc' as a grid"
    "--elevation,regional.nc,OUT|does not cover the whole globe"
    "nodir/partetopo|no directory"
    "--elevation,OUT|usage"
    "|usage")
  foreach(case ${cases})
    string(REPLACE "|" ";" fields "${case}")
    list(GET fields 0 arguments)
    list(GET fields 1 expected)
    string(REPLACE "," ";" arguments "${arguments}")
    string(REPLACE "OUT" "${WORK}/out" arguments "${arguments}")
    run_tool(${arguments})
    if(result EQUAL 0 OR NOT errors MATCHES "${expected}" OR EXISTS ${WORK}/out)
      message(SEND_ERROR "'${case}': status ${result}, message: ${errors}")
    endif()
  endforeach()
  set(ENV{GMT} ${WORK}/no-such-gmt)
  run_tool(${WORK}/out)
  if(result EQUAL 0 OR NOT errors MATCHES "GMT not found" OR EXISTS ${WORK}/out)
    message(SEND_ERROR "without GMT: status ${result}, message: ${errors}")
  endif()
endif()
