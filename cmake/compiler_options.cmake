# The compiler settings of every paleoviz build, native and web: C++17,
# Release unless told otherwise, warnings on, and as errors with
# -DPALEOVIZ_WERROR=ON (the CI build).
set(CMAKE_CXX_STANDARD 17)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)
if(NOT CMAKE_BUILD_TYPE)
  set(CMAKE_BUILD_TYPE Release)
endif()
add_compile_options(-Wall -Wextra)
option(PALEOVIZ_WERROR "Treat compiler warnings as errors" OFF)
if(PALEOVIZ_WERROR)
  add_compile_options(-Werror)
endif()
