# cmake -DFILE=PATH -DSHA256=HEX -P check_sha256.cmake: fails unless the
# file's SHA-256 is HEX.
file(SHA256 "${FILE}" actual)
if(NOT actual STREQUAL SHA256)
  message(FATAL_ERROR "${FILE}: SHA-256 ${actual} does not match the expected ${SHA256}; "
                      "the published table has changed or is damaged")
endif()
