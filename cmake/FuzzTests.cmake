# libFuzzer targets of the rules, built natively with clang as a project of their own; a short run
# of each joins this build's ctest run, and `make fuzz` runs them for longer.
include(ExternalProject)
find_program(FUZZ_CXX NAMES clang++ clang++-14 REQUIRED)
ExternalProject_Add(fuzz_targets
  SOURCE_DIR ${CMAKE_SOURCE_DIR}/tests/fuzz
  BINARY_DIR ${CMAKE_BINARY_DIR}/fuzz
  CMAKE_ARGS -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=${FUZZ_CXX}
             -DPROJECT_ROOT=${CMAKE_SOURCE_DIR}
  INSTALL_COMMAND ""
  BUILD_ALWAYS TRUE
  USES_TERMINAL_BUILD TRUE)
set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES
             ${CMAKE_BINARY_DIR}/fuzz/CTestTestfile.cmake)
