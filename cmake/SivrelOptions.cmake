# Compiler settings shared by every target of a tree.
if(NOT CMAKE_BUILD_TYPE AND NOT CMAKE_CONFIGURATION_TYPES)
  set(CMAKE_BUILD_TYPE RelWithDebInfo CACHE STRING "Build type" FORCE)
endif()

add_compile_options(-Wall -Wextra -Wno-unused-parameter)

if(WIN32)
  # Windows 7 API level: declares the newer notification-area fields and
  # CalculatePopupWindowPosition. Narrow (A) APIs throughout, so UNICODE stays undefined.
  add_compile_definitions(_WIN32_WINNT=0x0601 WINVER=0x0601 NTDDI_VERSION=0x06010000
                          NOMINMAX STRICT)
  include(WindowsRuntime)
  set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
  set(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
else()
  # Sanitizers for the native tree: SIVREL_SANITIZE=address (ASan+UBSan) or thread (TSan).
  set(SIVREL_SANITIZE "" CACHE STRING "Native sanitizer set: empty, address or thread")
  if(SIVREL_SANITIZE STREQUAL "address")
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
  elseif(SIVREL_SANITIZE STREQUAL "thread")
    add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
    add_link_options(-fsanitize=thread)
  elseif(NOT SIVREL_SANITIZE STREQUAL "")
    message(FATAL_ERROR "SIVREL_SANITIZE must be empty, address or thread")
  endif()
endif()
