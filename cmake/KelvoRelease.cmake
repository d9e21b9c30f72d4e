# What makes a DLL of ours release-grade: a version resource, stack protection, a load
# configuration, and after every link: the debugging information moved into debug/<dll>.debug,
# the DLL stripped and linked to that file, then signed. The build's bin/ holds exactly what the
# SDK ships, so the tests run against it.
set(KELVO_BUILD_NUMBER 0 CACHE STRING "Fourth number of the DLLs' file and product versions: a release's build number (0 to 65535)")
set(KELVO_COMPANY_NAME "KelvoUtilities" CACHE STRING "CompanyName of the DLLs' version resources")
set(KELVO_PRODUCT_NAME "KelvoUtilities" CACHE STRING "ProductName of the DLLs' version resources")
set(KELVO_LEGAL_COPYRIGHT "Copyright (C) the KelvoUtilities authors" CACHE STRING
    "LegalCopyright of the DLLs' version resources")
if(NOT KELVO_BUILD_NUMBER MATCHES "^[0-9]+$" OR KELVO_BUILD_NUMBER GREATER 65535)
  message(FATAL_ERROR "KELVO_BUILD_NUMBER must be a number from 0 to 65535, not \"${KELVO_BUILD_NUMBER}\"")
endif()
set(KELVO_FILE_VERSION ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.${KELVO_BUILD_NUMBER})

# The public version macros, generated beside the build's other outputs and installed with the
# headers.
set(KELVO_GENERATED_INCLUDE_DIR ${CMAKE_BINARY_DIR}/Include)
configure_file(${CMAKE_CURRENT_LIST_DIR}/KelvoUtilitiesVersion.h.in
               ${KELVO_GENERATED_INCLUDE_DIR}/KelvoUtilitiesVersion.h @ONLY)

enable_language(RC)
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(KELVO_DEBUG_DIR ${CMAKE_BINARY_DIR}/debug)
# libssp (stack-protector and fortified-function support) linked into each DLL rather than
# shipped as one more DLL beside them.
execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libssp.a
                OUTPUT_VARIABLE KELVO_LIBSSP OUTPUT_STRIP_TRAILING_WHITESPACE)
if(NOT IS_ABSOLUTE "${KELVO_LIBSSP}")
  message(FATAL_ERROR "The compiler has no static libssp (libssp.a) for stack protection")
endif()

# kelvo_release_binary(TARGET DESCRIPTION): makes the DLL target release-grade (see above);
# DESCRIPTION is its version resource's FileDescription.
function(kelvo_release_binary target description)
  # Version resource strings: the resource compiler doubles a quote inside a string.
  foreach(field COMPANY_NAME PRODUCT_NAME LEGAL_COPYRIGHT)
    string(REPLACE "\"" "\"\"" rc_${field} "${KELVO_${field}}")
  endforeach()
  string(REPLACE "\"" "\"\"" rc_DESCRIPTION "${description}")
  string(REPLACE "." "," rc_VERSION_NUMBERS ${KELVO_FILE_VERSION})
  set(rc_NAME ${target})
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}Version.rc)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/Version.rc.in ${rc} @ONLY)

  target_sources(${target} PRIVATE ${rc} ${PROJECT_SOURCE_DIR}/Source/Internal/LoadConfiguration.cpp)
  target_compile_options(${target} PRIVATE $<$<COMPILE_LANGUAGE:CXX>:-g -fstack-protector-strong>)
  target_compile_definitions(${target} PRIVATE $<$<COMPILE_LANGUAGE:CXX>:_FORTIFY_SOURCE=2>)
  target_link_libraries(${target} PRIVATE ${KELVO_LIBSSP})
  target_compile_features(${target} INTERFACE cxx_std_17)
  add_dependencies(${target} KelvoRuntimeDlls)

  set(file $<TARGET_FILE:${target}>)
  set(debug ${KELVO_DEBUG_DIR}/$<TARGET_FILE_NAME:${target}>.debug)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/scripts/set-load-configuration.py ${file}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${KELVO_DEBUG_DIR}
    COMMAND ${CMAKE_OBJCOPY} --only-keep-debug ${file} ${debug}
    COMMAND ${CMAKE_STRIP} --strip-all ${file}
    COMMAND ${CMAKE_OBJCOPY} --add-gnu-debuglink=${debug} ${file}
    COMMENT "Setting the load configuration of ${target}, keeping its debugging information apart, stripping it"
    VERBATIM)
  kelvo_sign(${target})
endfunction()
