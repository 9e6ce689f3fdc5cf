# Builds the Windows Installer package from installer/Sivrel.wxs with wixl, edits its tables
# (table-edits.sql, the secure properties) with msibuild and signs it (sign.cmake). Script mode:
#   cmake -DVERSION=5.4.0 -DBINARIES=<dir> -DWORK=<dir> -DOUTPUT=<file.msi> -P make-msi.cmake
# BINARIES holds the Sivrel.exe, Korvex.dll and SivrelSetup.dll to ship, already signed when the
# release is; WORK is emptied and used as scratch. The release tree runs it, and so do the
# installer tests for a package of a higher version.
#
# The product code is a name-based UUID of the version: each version has its own, which is what
# makes installing a newer one a major upgrade of the older, and building one version again
# gives the same code.
cmake_minimum_required(VERSION 3.20)  # the policies of today, in script mode too
foreach(variable VERSION BINARIES WORK OUTPUT)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "make-msi.cmake: -D${variable}=... is missing")
  endif()
endforeach()
if(NOT VERSION MATCHES "^[0-9]+\\.[0-9]+\\.[0-9]+$")
  message(FATAL_ERROR "make-msi.cmake: VERSION ${VERSION} is not major.minor.patch")
endif()
find_program(WIXL wixl)
find_program(MSIBUILD msibuild)
find_program(MSIINFO msiinfo)
if(NOT WIXL OR NOT MSIBUILD OR NOT MSIINFO)
  message(FATAL_ERROR "make-msi.cmake: wixl, msibuild or msiinfo not found (Debian packages wixl "
                      "and msitools; scripts/setup-deps.sh)")
endif()
# Properties that administrators set on the command line and the installation's server side
# must see (SecureCustomProperties): the others are dropped in a managed or elevated install.
set(secure_properties AUTOSTART SHORTCUT CRASHDUMPS)

string(UUID product_code NAMESPACE 0130F3E8-EFCF-44F0-B346-4BB3A401BC0E
       NAME "Sivrel x64 ${VERSION}" TYPE SHA1 UPPER)

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
file(COPY ${CMAKE_CURRENT_LIST_DIR}/Sivrel.wxs ${CMAKE_CURRENT_LIST_DIR}/../res/icons/app.ico
          ${BINARIES}/Sivrel.exe ${BINARIES}/Korvex.dll ${BINARIES}/SivrelSetup.dll
     DESTINATION ${WORK})
set(unsigned ${WORK}/unsigned.msi)
file(REMOVE ${OUTPUT})
execute_process(
  COMMAND ${WIXL} --arch x64 -D Version=${VERSION} -D ProductCode=${product_code}
          -o ${unsigned} ${WORK}/Sivrel.wxs
  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "wixl failed (${result}):\n${output}")
endif()

set(queries "")
file(STRINGS ${CMAKE_CURRENT_LIST_DIR}/table-edits.sql lines)
foreach(line IN LISTS lines)
  if(NOT line MATCHES "^--" AND NOT line STREQUAL "")
    string(REPLACE "@VERSION@" "${VERSION}.0" line "${line}")
    list(APPEND queries -q "${line}")
  endif()
endforeach()
execute_process(COMMAND ${MSIINFO} export ${unsigned} Property OUTPUT_VARIABLE properties RESULT_VARIABLE result)
if(NOT result EQUAL 0 OR NOT properties MATCHES "\nSecureCustomProperties\t([^\r\n]*)")
  message(FATAL_ERROR "make-msi.cmake: wixl wrote no SecureCustomProperties")
endif()
# The value is ';'-separated: it is passed in one quoted argument, which CMake never splits.
set(secure "${CMAKE_MATCH_1}")
foreach(property IN LISTS secure_properties)
  string(APPEND secure ";${property}")
endforeach()
execute_process(COMMAND ${MSIBUILD} ${unsigned} ${queries}
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(result EQUAL 0)
  execute_process(
    COMMAND ${MSIBUILD} ${unsigned}
            -q "UPDATE `Property` SET `Value` = '${secure}' WHERE `Property` = 'SecureCustomProperties'"
    RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
endif()
if(NOT result EQUAL 0)
  message(FATAL_ERROR "msibuild could not edit the tables (${result}):\n${output}")
endif()

execute_process(COMMAND ${CMAKE_COMMAND} -DINPUT=${unsigned} -DOUTPUT=${OUTPUT}
                        -P ${CMAKE_CURRENT_LIST_DIR}/sign.cmake
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "make-msi.cmake: signing the package failed")
endif()
message(STATUS "${OUTPUT}: version ${VERSION}, product code {${product_code}}")
