# Builds the Windows Installer package from installer/Sivrel.wxs with wixl. Script mode:
#   cmake -DVERSION=5.4.0 -DBINARIES=<dir> -DWORK=<dir> -DOUTPUT=<file.msi> -P make-msi.cmake
# BINARIES holds the Sivrel.exe and Korvex.dll to ship; WORK is emptied and used as scratch.
# The release tree runs it, and so do the installer tests for a package of a higher version.
#
# The product code is a name-based UUID of the version: each version has its own, which is what
# makes installing a newer one a major upgrade of the older, and building one version again
# gives the same code.
foreach(variable VERSION BINARIES WORK OUTPUT)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "make-msi.cmake: -D${variable}=... is missing")
  endif()
endforeach()
if(NOT VERSION MATCHES "^[0-9]+\\.[0-9]+\\.[0-9]+$")
  message(FATAL_ERROR "make-msi.cmake: VERSION ${VERSION} is not major.minor.patch")
endif()
find_program(WIXL wixl)
if(NOT WIXL)
  message(FATAL_ERROR "make-msi.cmake: wixl not found (Debian package wixl; scripts/setup-deps.sh)")
endif()

string(UUID product_code NAMESPACE 0130F3E8-EFCF-44F0-B346-4BB3A401BC0E
       NAME "Sivrel x64 ${VERSION}" TYPE SHA1 UPPER)

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
file(COPY ${CMAKE_CURRENT_LIST_DIR}/Sivrel.wxs ${CMAKE_CURRENT_LIST_DIR}/../res/icons/app.ico
          ${BINARIES}/Sivrel.exe ${BINARIES}/Korvex.dll
     DESTINATION ${WORK})
execute_process(
  COMMAND ${WIXL} --arch x64 -D Version=${VERSION} -D ProductCode=${product_code}
          -o ${OUTPUT} ${WORK}/Sivrel.wxs
  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0)
  file(REMOVE ${OUTPUT})
  message(FATAL_ERROR "wixl failed (${result}):\n${output}")
endif()
message(STATUS "${OUTPUT}: version ${VERSION}, product code {${product_code}}")
