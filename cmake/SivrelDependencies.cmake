# Installed dependencies: Boost.Thread and Boost.Date_Time, GoogleTest, Google Benchmark.
# Nothing is vendored: see the README for the packages that scripts/setup-deps.sh installs.
set(SIVREL_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "Debian's GoogleTest sources")

if(WIN32)
  include(BoostWin32)
else()
  find_package(Boost 1.74 REQUIRED COMPONENTS thread date_time)
  add_library(sivrel_boost INTERFACE)
  target_link_libraries(sivrel_boost INTERFACE Boost::thread Boost::date_time)
endif()

if(BUILD_TESTING)
  # Built from Debian's sources for both targets, with this tree's flags (sanitizers included).
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  add_subdirectory(${SIVREL_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
endif()
