# The SDK's reference: Doxygen over the public headers of both modules (what KelvoInstall.cmake
# installs), built into doc/html of the build tree by every build and installed as the SDK's
# doc/html. The build keeps going on a warning, so that a missing comment does not stop work in
# progress; the test "Reference" runs the same configuration with warnings as errors.
find_package(Doxygen REQUIRED doxygen)

file(GLOB kelvo_public_headers CONFIGURE_DEPENDS
  ${PROJECT_SOURCE_DIR}/Include/*.h ${PROJECT_SOURCE_DIR}/HostApi/Include/HostApi/*.h)
# The main page links the guide, which joins the reference as a page of its own; without the
# guide the link names the file, so that the reference still builds without a warning.
set(KELVO_REFERENCE_MAINPAGE ${CMAKE_BINARY_DIR}/doc/Reference.md)
set(kelvo_reference_pages ${KELVO_REFERENCE_MAINPAGE})
if(EXISTS ${PROJECT_SOURCE_DIR}/docs/Guide.md)
  set(KELVO_GUIDE_LINK "[guide](Guide.md)")
  list(APPEND kelvo_reference_pages ${PROJECT_SOURCE_DIR}/docs/Guide.md)
else()
  set(KELVO_GUIDE_LINK "guide (`docs/Guide.md`)")
endif()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/docs/Guide.md)
configure_file(${PROJECT_SOURCE_DIR}/docs/Reference.md.in ${KELVO_REFERENCE_MAINPAGE} @ONLY)
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
