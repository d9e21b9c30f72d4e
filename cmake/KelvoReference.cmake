# The SDK's reference: Doxygen over the public headers of both modules (what KelvoInstall.cmake
# installs), built into doc/html of the build tree by every build and installed as the SDK's
# doc/html. The build keeps going on a warning, so that a missing comment does not stop work in
# progress; the test "Reference" runs the same configuration with warnings as errors.
find_package(Doxygen REQUIRED doxygen)

file(GLOB kelvo_public_headers CONFIGURE_DEPENDS
  ${PROJECT_SOURCE_DIR}/Include/*.h ${PROJECT_SOURCE_DIR}/HostApi/Include/HostApi/*.h)
# The main page links the guide (docs/Guide.md), which stands beside the reference as doc/Guide.md
# in the build tree and in the SDK. It is linked rather than made a page of the reference: its
# Markdown is written for the repository's readers, with links and paths that Doxygen would
# report.
set(KELVO_REFERENCE_MAINPAGE ${PROJECT_SOURCE_DIR}/docs/Reference.md)
set(kelvo_reference_pages ${KELVO_REFERENCE_MAINPAGE})
# The glob (of one name) makes the build notice when the guide comes or goes.
file(GLOB kelvo_guide CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/docs/Guide.md)
if(kelvo_guide)
  configure_file(${kelvo_guide} ${CMAKE_BINARY_DIR}/doc/Guide.md COPYONLY)
  install(FILES ${kelvo_guide} DESTINATION doc)
endif()
list(JOIN kelvo_reference_pages " " kelvo_pages_text)
set(KELVO_REFERENCE_INPUT
  "${kelvo_pages_text} ${PROJECT_SOURCE_DIR}/Include ${PROJECT_SOURCE_DIR}/HostApi/Include/HostApi")

set(KELVO_REFERENCE_OUTPUT ${CMAKE_BINARY_DIR}/doc)
set(KELVO_REFERENCE_WARN_AS_ERROR NO)
set(KELVO_REFERENCE_HTML YES)
set(KELVO_REFERENCE_XML NO)
configure_file(${CMAKE_CURRENT_LIST_DIR}/Doxyfile.in ${CMAKE_BINARY_DIR}/Doxyfile @ONLY)
# The test's run: the XML lets CheckReference.py find undocumented enumerators, which this
# Doxygen does not warn about.
set(KELVO_REFERENCE_OUTPUT ${CMAKE_BINARY_DIR}/Testing/Reference)
set(KELVO_REFERENCE_WARN_AS_ERROR FAIL_ON_WARNINGS)
set(KELVO_REFERENCE_HTML NO)
set(KELVO_REFERENCE_XML YES)
configure_file(${CMAKE_CURRENT_LIST_DIR}/Doxyfile.in ${CMAKE_BINARY_DIR}/Doxyfile.check @ONLY)

add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/doc/html/index.html
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${CMAKE_BINARY_DIR}/doc/html
  COMMAND ${DOXYGEN_EXECUTABLE} ${CMAKE_BINARY_DIR}/Doxyfile
  DEPENDS ${kelvo_public_headers} ${kelvo_reference_pages} ${CMAKE_BINARY_DIR}/Doxyfile
  WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
  COMMENT "Generating the reference (doc/html)"
  VERBATIM)
add_custom_target(KelvoReference ALL DEPENDS ${CMAKE_BINARY_DIR}/doc/html/index.html)
install(DIRECTORY ${CMAKE_BINARY_DIR}/doc/html DESTINATION doc)

if(KELVO_BUILD_TESTS)
  find_package(Python3 REQUIRED COMPONENTS Interpreter)
  add_test(NAME Reference
    COMMAND Python3::Interpreter ${CMAKE_CURRENT_LIST_DIR}/CheckReference.py ${DOXYGEN_EXECUTABLE}
      ${CMAKE_BINARY_DIR}/Doxyfile.check ${CMAKE_BINARY_DIR}/Testing/Reference/xml
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR})
endif()
