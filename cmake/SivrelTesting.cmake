# Test helpers used by tests/*/CMakeLists.txt.
#
#   sivrel_native_test(NAME n SOURCES s... [LIBS l...] [TIMEOUT sec] [LABELS ...])
#       GoogleTest executable of the native tree (no-op in the Windows tree).
#   sivrel_wine_test(NAME n SOURCES s... [LIBS l...] [TIMEOUT sec] [LABELS ...] [NO_GTEST_MAIN])
#       Windows executable run by CTest under Wine (no-op in the native tree). It lands in bin/
#       beside Sivrel.exe and Korvex.dll so that it can start them.
# Each executable is one CTest test; GoogleTest's own summary lists its cases.
function(_sivrel_add_gtest kind)
  cmake_parse_arguments(T "NO_GTEST_MAIN" "NAME;TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  add_executable(${T_NAME} ${T_SOURCES})
  if(T_NO_GTEST_MAIN)
    target_link_libraries(${T_NAME} PRIVATE gtest gmock ${T_LIBS})
  else()
    target_link_libraries(${T_NAME} PRIVATE gtest_main gmock ${T_LIBS})
  endif()
  target_include_directories(${T_NAME} PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/tests)
  add_test(NAME ${T_NAME} COMMAND ${T_NAME} --gtest_color=no)
  set_tests_properties(${T_NAME} PROPERTIES TIMEOUT ${T_TIMEOUT} LABELS "${kind};${T_LABELS}")
endfunction()

function(sivrel_native_test)
  if(NOT WIN32 AND BUILD_TESTING)
    _sivrel_add_gtest(native ${ARGN})
  endif()
endfunction()

function(sivrel_wine_test)
  if(WIN32 AND BUILD_TESTING)
    _sivrel_add_gtest(wine ${ARGN})
  endif()
endfunction()
