# The rules (sources without Windows headers) are also built natively, with and without
# AddressSanitizer/UBSan, and tested with GoogleTest. They form a project of their own built for
# the host; its tests join this build's ctest run.
include(ExternalProject)
find_program(HOST_CXX NAMES g++ REQUIRED)
find_program(HOST_CC NAMES gcc REQUIRED)
ExternalProject_Add(host_tests
  SOURCE_DIR ${CMAKE_SOURCE_DIR}/tests/host
  BINARY_DIR ${CMAKE_BINARY_DIR}/host
  CMAKE_ARGS -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=${HOST_CXX}
             -DCMAKE_C_COMPILER=${HOST_CC} -DPROJECT_ROOT=${CMAKE_SOURCE_DIR}
  INSTALL_COMMAND ""
  BUILD_ALWAYS TRUE
  USES_TERMINAL_BUILD TRUE)
set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES
             ${CMAKE_BINARY_DIR}/host/CTestTestfile.cmake)
