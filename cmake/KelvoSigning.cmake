# Every build signs its DLLs with Authenticode (Debian's osslsigncode): KelvoUtilities.dll loads
# HostApi.dll only when both carry the same signer's certificate. A release passes the maker's
# certificate and key; otherwise the build makes a certificate of its own, once, and keeps it.
set(KELVO_SIGNING_CERTIFICATE "" CACHE FILEPATH
    "Code-signing certificate (PEM or DER) for the DLLs; empty: one the build makes in its own folder")
set(KELVO_SIGNING_KEY "" CACHE FILEPATH "Private key (PEM or DER, not encrypted) of KELVO_SIGNING_CERTIFICATE")
# Without a time stamp a signature stops verifying when its certificate expires.
set(KELVO_SIGNING_TIMESTAMP_URL "" CACHE STRING "RFC 3161 time-stamp server for release signatures; empty: none")
find_program(KELVO_OSSLSIGNCODE osslsigncode REQUIRED)

if(KELVO_SIGNING_CERTIFICATE)
  if(NOT KELVO_SIGNING_KEY)
    message(FATAL_ERROR "KELVO_SIGNING_CERTIFICATE needs its private key in KELVO_SIGNING_KEY")
  endif()
  set(kelvo_certificate ${KELVO_SIGNING_CERTIFICATE})
  set(kelvo_key ${KELVO_SIGNING_KEY})
else()
  set(kelvo_certificate ${CMAKE_BINARY_DIR}/signing/certificate.pem)
  set(kelvo_key ${CMAKE_BINARY_DIR}/signing/key.pem)
  if(NOT EXISTS ${kelvo_certificate} OR NOT EXISTS ${kelvo_key})
    find_program(KELVO_OPENSSL openssl REQUIRED)
    file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/signing)
    execute_process(
      COMMAND ${KELVO_OPENSSL} req -x509 -newkey rsa:3072 -sha256 -nodes -days 3650
              -subj "/CN=KelvoUtilities development build" -addext "extendedKeyUsage=codeSigning"
              -keyout ${kelvo_key} -out ${kelvo_certificate}
      RESULT_VARIABLE failed OUTPUT_QUIET ERROR_VARIABLE errors)
    if(failed)
      message(FATAL_ERROR "openssl could not make the build's code-signing certificate:\n${errors}")
    endif()
  endif()
endif()

# kelvo_sign_commands(VARIABLE FILE DESCRIPTION): the COMMAND lines of add_custom_command
# that sign FILE in place (splice them in, with COMMAND_EXPAND_LISTS).
function(kelvo_sign_commands variable file description)
  set(${variable}
    COMMAND ${KELVO_OSSLSIGNCODE} sign -certs ${kelvo_certificate} -key ${kelvo_key} -h sha256
            -n ${description} "$<$<BOOL:${KELVO_SIGNING_TIMESTAMP_URL}>:-ts$<SEMICOLON>${KELVO_SIGNING_TIMESTAMP_URL}>"
            -in ${file} -out ${file}.signed
    COMMAND ${CMAKE_COMMAND} -E rename ${file}.signed ${file}
    PARENT_SCOPE)
endfunction()

# Signs the target's DLL in place after every link, after the steps added before this call.
function(kelvo_sign target)
  kelvo_sign_commands(sign $<TARGET_FILE:${target}> ${target})
  add_custom_command(TARGET ${target} POST_BUILD ${sign}
    COMMENT "Signing ${target}"
    COMMAND_EXPAND_LISTS VERBATIM)
endfunction()
