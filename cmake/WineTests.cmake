# Test tiers that run under Wine: fixtures for the display and the prefix, GoogleTest programs,
# and page scripts run by the prefix's cscript.exe.

set(WINE_RUN ${CMAKE_BINARY_DIR}/wine-run)
set(SCRIPTS_DIR ${CMAKE_SOURCE_DIR}/scripts)

# Controls registered in the test prefix; a deliverable adds itself with wine_register_dll().
set_property(GLOBAL PROPERTY WINE_REGISTERED_DLLS "")
function(wine_register_dll target)
  set_property(GLOBAL APPEND PROPERTY WINE_REGISTERED_DLLS "$<TARGET_FILE:${target}>")
endfunction()

# Called once all deliverables are known.
function(wine_add_fixtures)
  get_property(dlls GLOBAL PROPERTY WINE_REGISTERED_DLLS)
  add_test(NAME fixture.display.start COMMAND ${SCRIPTS_DIR}/xvfb start ${CMAKE_BINARY_DIR})
  add_test(NAME fixture.display.stop COMMAND ${SCRIPTS_DIR}/xvfb stop ${CMAKE_BINARY_DIR})
  add_test(NAME fixture.prefix.create
           COMMAND ${SCRIPTS_DIR}/prefix create ${WINE_RUN} ${WINE_PREFIX} ${dlls})
  add_test(NAME fixture.prefix.stop COMMAND ${SCRIPTS_DIR}/prefix stop ${WINE_PREFIX})
  set_tests_properties(fixture.display.start PROPERTIES FIXTURES_SETUP display TIMEOUT 30)
  set_tests_properties(fixture.display.stop PROPERTIES FIXTURES_CLEANUP display TIMEOUT 30)
  set_tests_properties(fixture.prefix.create PROPERTIES FIXTURES_SETUP wine
                       FIXTURES_REQUIRED display TIMEOUT 300)
  set_tests_properties(fixture.prefix.stop PROPERTIES FIXTURES_CLEANUP wine
                       FIXTURES_REQUIRED display TIMEOUT 60)
endfunction()

# wine_add_gtest(<name> SOURCES ... [LIBS ...] [TIMEOUT s] [LOCK resource...] [ARGS argument...])
# A GoogleTest program for Windows; ctest runs it whole under Wine in the test prefix, with ARGS
# (a --gtest_filter, say) when given.
function(wine_add_gtest name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS;LOCK;ARGS" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE win_test_support ${T_LIBS})
  add_test(NAME win.${name} COMMAND ${name} --gtest_color=no ${T_ARGS})
  set_tests_properties(win.${name} PROPERTIES FIXTURES_REQUIRED "wine;display"
                       TIMEOUT ${T_TIMEOUT})
  if(T_LOCK)
    set_tests_properties(win.${name} PROPERTIES RESOURCE_LOCK "${T_LOCK}")
  endif()
endfunction()

# wine_add_script_test(<file.js|file.vbs> [TIMEOUT s] [LOCK resource...] [WINVER version]
#                      [ARGS argument...] [ENV NAME=value...])
# A page script run by the prefix's 32-bit cscript.exe; it must end with "N passed, 0 failed".
# ARGS go to the script; one written "path:<linux path>" (generator expressions allowed) goes as
# that file's Windows path. WINVER sets the Windows version Wine reports to cscript.exe for the
# run (winxp, win7, ...) and names the test script.<file>.<version>. ENV sets environment
# variables that the script host and the programs it starts see.
# The version is one setting for every cscript.exe of the prefix, so every script test holds the
# "cscript-version" lock: a test without WINVER always runs with the prefix's default version.
function(wine_add_script_test file)
  cmake_parse_arguments(T "" "TIMEOUT;WINVER" "LOCK;ARGS;ENV" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  get_filename_component(abs ${file} ABSOLUTE)
  get_filename_component(base ${file} NAME)
  set(name script.${base})
  set(winver_option)
  if(T_WINVER)
    set(name ${name}.${T_WINVER})
    set(winver_option --winver ${T_WINVER})
  endif()
  add_test(NAME ${name}
           COMMAND ${SCRIPTS_DIR}/run-script ${winver_option} ${WINE_RUN} ${abs}
                   ${CMAKE_CURRENT_BINARY_DIR} ${T_ARGS})
  set(locks cscript-version ${T_LOCK})
  set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED "wine;display"
                       TIMEOUT ${T_TIMEOUT} RESOURCE_LOCK "${locks}")
  if(T_ENV)
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "${T_ENV}")
  endif()
endfunction()
