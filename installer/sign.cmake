# Authenticode signing of one file of the release with osslsigncode, as the environment asks:
#   SIVREL_SIGN_CERT           the certificate chain, PEM (the code-signing certificate first)
#   SIVREL_SIGN_KEY            its private key: a PEM file, or a PKCS#11 URI ("pkcs11:...") for a
#                              key held in a token or a hardware security module
#   SIVREL_SIGN_PKCS11_MODULE  with a PKCS#11 key: the token's PKCS#11 module (a .so file)
#   SIVREL_SIGN_TIMESTAMP_URL  optional: an RFC 3161 time-stamping service, so that signatures
#                              stay valid after the certificate expires
# Without SIVREL_SIGN_CERT and SIVREL_SIGN_KEY the file is copied unsigned. Script mode:
#   cmake -DINPUT=<file> -DOUTPUT=<file> -P sign.cmake
#   cmake -DIDENTITY=<file> -P sign.cmake   writes what the signing depends on into <file>, only
#                                           when it changed, so that the build signs again when
#                                           the certificate, key or service change
cmake_minimum_required(VERSION 3.20)  # the policies of today, in script mode too
set(cert "$ENV{SIVREL_SIGN_CERT}")
set(key "$ENV{SIVREL_SIGN_KEY}")
set(module "$ENV{SIVREL_SIGN_PKCS11_MODULE}")
set(timestamp "$ENV{SIVREL_SIGN_TIMESTAMP_URL}")
if((cert STREQUAL "") AND NOT (key STREQUAL ""))
  message(FATAL_ERROR "sign.cmake: SIVREL_SIGN_KEY is set but SIVREL_SIGN_CERT is not")
elseif(NOT (cert STREQUAL "") AND (key STREQUAL ""))
  message(FATAL_ERROR "sign.cmake: SIVREL_SIGN_CERT is set but SIVREL_SIGN_KEY is not")
endif()

if(DEFINED IDENTITY)
  set(identity "unsigned")
  if(NOT cert STREQUAL "")
    if(NOT EXISTS "${cert}")
      message(FATAL_ERROR "sign.cmake: SIVREL_SIGN_CERT names no file: ${cert}")
    endif()
    file(SHA256 "${cert}" certificate_hash)
    # Hashed: a PKCS#11 URI may carry the token's PIN, which has no place in the build tree.
    string(SHA256 identity "certificate ${certificate_hash}\nkey ${key}\nmodule ${module}\ntimestamp ${timestamp}")
  endif()
  file(CONFIGURE OUTPUT "${IDENTITY}" CONTENT "${identity}\n")  # rewritten only when different
  return()
endif()

foreach(variable INPUT OUTPUT)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "sign.cmake: -D${variable}=... is missing")
  endif()
endforeach()
file(REMOVE "${OUTPUT}")
if(cert STREQUAL "")
  file(COPY_FILE "${INPUT}" "${OUTPUT}")
  return()
endif()

find_program(OSSLSIGNCODE osslsigncode)
if(NOT OSSLSIGNCODE)
  message(FATAL_ERROR "sign.cmake: osslsigncode not found (Debian package osslsigncode; scripts/setup-deps.sh)")
endif()
# A PKCS#11 URI separates its attributes with ';', which must not split the argument list.
string(REPLACE ";" "\\;" key_argument "${key}")
set(arguments sign -certs "${cert}" -key "${key_argument}" -h sha256 -n "Calyra recording client")
if(key MATCHES "^pkcs11:")
  if(module STREQUAL "")
    message(FATAL_ERROR "sign.cmake: a PKCS#11 key needs SIVREL_SIGN_PKCS11_MODULE, the token's module")
  endif()
  list(APPEND arguments -pkcs11module "${module}")
endif()
if(NOT timestamp STREQUAL "")
  list(APPEND arguments -ts "${timestamp}")
endif()
execute_process(COMMAND ${OSSLSIGNCODE} ${arguments} -in "${INPUT}" -out "${OUTPUT}"
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0)
  file(REMOVE "${OUTPUT}")
  message(FATAL_ERROR "osslsigncode could not sign ${INPUT} (${result}):\n${output}")
endif()
