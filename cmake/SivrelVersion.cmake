# The Windows Installer compares major.minor.build with major and minor below 256 and build below
# 65536; the version resource takes the same three numbers.
if(NOT PROJECT_VERSION MATCHES "^([0-9]+)\\.([0-9]+)\\.([0-9]+)$"
   OR CMAKE_MATCH_1 GREATER 255 OR CMAKE_MATCH_2 GREATER 255 OR CMAKE_MATCH_3 GREATER 65535)
  message(FATAL_ERROR "project(VERSION ${PROJECT_VERSION}): give major.minor.patch, "
                      "major and minor at most 255, patch at most 65535")
endif()

# The product version header: generated from project(VERSION) into the tree, used by the version
# resource, the About text and the simulator (target sivrel_version).
configure_file(${CMAKE_CURRENT_LIST_DIR}/SivrelVersion.h.in
               ${CMAKE_BINARY_DIR}/generated/SivrelVersion.h @ONLY)
set(SIVREL_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
add_library(sivrel_version INTERFACE)
target_include_directories(sivrel_version INTERFACE ${SIVREL_GENERATED_DIR})
