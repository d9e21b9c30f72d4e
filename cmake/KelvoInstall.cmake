# The SDK: include/ (both modules' public headers), lib/ (import libraries and the CMake package
# KelvoUtilities with the targets Kelvo::Utilities and Kelvo::HostApi), bin/ (the DLLs and the
# C++ runtime DLLs they need, all stripped and signed), debug/ (our DLLs' debugging information).
include(CMakePackageConfigHelpers)

set_target_properties(HostApi PROPERTIES EXPORT_NAME HostApi)
install(TARGETS KelvoUtilities HostApi EXPORT KelvoUtilitiesTargets
  RUNTIME DESTINATION bin
  LIBRARY DESTINATION lib
  ARCHIVE DESTINATION lib
  INCLUDES DESTINATION include
)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/Include/ ${PROJECT_SOURCE_DIR}/HostApi/Include/
        DESTINATION include FILES_MATCHING PATTERN "*.h")
install(FILES ${KELVO_GENERATED_INCLUDE_DIR}/KelvoUtilitiesVersion.h DESTINATION include)
install(FILES ${KELVO_SHIPPED_RUNTIME_DLLS} DESTINATION bin)
install(FILES ${KELVO_DEBUG_DIR}/$<TARGET_FILE_NAME:KelvoUtilities>.debug ${KELVO_DEBUG_DIR}/$<TARGET_FILE_NAME:HostApi>.debug
        DESTINATION debug)

set(KELVO_PACKAGE_DIR lib/cmake/KelvoUtilities)
install(EXPORT KelvoUtilitiesTargets NAMESPACE Kelvo:: DESTINATION ${KELVO_PACKAGE_DIR})
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/KelvoUtilitiesConfig.cmake.in
  ${CMAKE_BINARY_DIR}/KelvoUtilitiesConfig.cmake INSTALL_DESTINATION ${KELVO_PACKAGE_DIR})
write_basic_package_version_file(${CMAKE_BINARY_DIR}/KelvoUtilitiesConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/KelvoUtilitiesConfig.cmake ${CMAKE_BINARY_DIR}/KelvoUtilitiesConfigVersion.cmake
        DESTINATION ${KELVO_PACKAGE_DIR})
