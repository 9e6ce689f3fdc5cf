# Boost for the Windows tree: Debian's Boost headers, and Boost.Thread's win32 sources from the
# source package of those headers (boost1.74 on Debian 12, boost1.83 on Debian 13) compiled into a
# static library. (The header-only pthread flavour aborts under winpthreads because its monotonic
# condition attribute is refused.)
# Boost.Chrono, Boost.System and Boost.Date_Time are used header-only.
set(SIVREL_BOOST_HEADERS /usr/include/boost CACHE PATH "Debian's Boost headers")
if(NOT EXISTS ${SIVREL_BOOST_HEADERS}/version.hpp)
  message(FATAL_ERROR "Boost headers not found at ${SIVREL_BOOST_HEADERS} (install libboost-dev)")
endif()

# The host's /usr/include must not reach the cross compiler, so only the boost folder is exposed.
set(_boost_inc ${CMAKE_BINARY_DIR}/boost-include)
file(MAKE_DIRECTORY ${_boost_inc})
if(NOT EXISTS ${_boost_inc}/boost)
  file(CREATE_LINK ${SIVREL_BOOST_HEADERS} ${_boost_inc}/boost SYMBOLIC)
endif()

execute_process(
  COMMAND ${CMAKE_SOURCE_DIR}/scripts/fetch-boost-thread-src.sh ${SIVREL_BOOST_HEADERS}
  OUTPUT_VARIABLE _thread_src OUTPUT_STRIP_TRAILING_WHITESPACE
  RESULT_VARIABLE _fetch_result)
if(NOT _fetch_result EQUAL 0 OR NOT EXISTS ${_thread_src}/win32/thread.cpp)
  message(FATAL_ERROR "could not obtain Boost.Thread's sources (scripts/fetch-boost-thread-src.sh)")
endif()

add_library(boost_thread_win32 STATIC
  ${_thread_src}/win32/thread.cpp
  ${_thread_src}/win32/tss_dll.cpp
  ${_thread_src}/win32/tss_pe.cpp
  ${_thread_src}/win32/thread_primitives.cpp
  ${_thread_src}/future.cpp)
target_include_directories(boost_thread_win32 SYSTEM PUBLIC ${_boost_inc})
target_compile_definitions(boost_thread_win32
  PUBLIC  BOOST_ALL_NO_LIB BOOST_THREAD_USE_LIB BOOST_THREAD_WIN32 BOOST_CHRONO_HEADER_ONLY
          BOOST_ERROR_CODE_HEADER_ONLY BOOST_DATE_TIME_NO_LIB
  PRIVATE BOOST_THREAD_BUILD_LIB)
target_compile_options(boost_thread_win32 PRIVATE -w)

add_library(sivrel_boost INTERFACE)
target_link_libraries(sivrel_boost INTERFACE boost_thread_win32)
