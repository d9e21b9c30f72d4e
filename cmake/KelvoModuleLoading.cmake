# How the two DLLs load what they need at run time.
#
# Build stamp: KelvoUtilities.dll accepts only the HostApi.dll of its own build. Both carry the
# project version and an identifier made once per build folder (kept in the cache), compiled into
# a section of their own (Source/Internal/BuildStamp.cpp).
if(NOT KELVO_BUILD_IDENTIFIER)
  string(RANDOM LENGTH 24 ALPHABET 0123456789abcdef identifier)
  set(KELVO_BUILD_IDENTIFIER ${identifier} CACHE INTERNAL "Identifier of this build folder's DLLs")
endif()
set(KELVO_BUILD_STAMP "KelvoUtilities ${PROJECT_VERSION} build ${KELVO_BUILD_IDENTIFIER}")

# Gives target the build stamp (the file that holds it is compiled into the target).
function(kelvo_build_stamp target)
  target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/Source/Internal/BuildStamp.cpp)
  set_property(SOURCE ${PROJECT_SOURCE_DIR}/Source/Internal/BuildStamp.cpp DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}
               APPEND PROPERTY COMPILE_DEFINITIONS "KELVO_BUILD_STAMP=\"${KELVO_BUILD_STAMP}\"")
endfunction()

# System DLLs that are not KnownDLLs would be looked for in the program's folder first. The DLLs
# import them on first use instead (a delay-load import), through import libraries that dlltool
# makes here from the toolchain's own import library of each DLL, so that every function of it
# goes through the hook (Source/Internal/DelayLoad.cpp), which loads it from the system folder.
string(REGEX REPLACE "g\\+\\+(-posix)?$" "nm" kelvo_nm "${CMAKE_CXX_COMPILER}")
function(kelvo_delay_load_system target)
  foreach(name ${ARGN})
    set(delayImport ${CMAKE_BINARY_DIR}/delay-load/lib${name}.delay.a)
    if(NOT EXISTS ${delayImport})
      find_library(KELVO_IMPORT_LIBRARY_${name} ${name} REQUIRED NO_CACHE)
      execute_process(COMMAND ${kelvo_nm} ${KELVO_IMPORT_LIBRARY_${name}}
                      OUTPUT_VARIABLE symbols COMMAND_ERROR_IS_FATAL ANY)
      # "__imp_Name" in 64-bit libraries, "__imp__Name@bytes" for stdcall in 32-bit ones.
      string(REGEX MATCHALL " I __imp_[A-Za-z0-9_@?$]+" imports "${symbols}")
      list(TRANSFORM imports REPLACE "^ I __imp_" "")
      set(killAt "")
      if(CMAKE_SIZEOF_VOID_P EQUAL 4)
        list(TRANSFORM imports REPLACE "^_" "")
        # The 32-bit DLLs export stdcall functions without their "@bytes".
        set(killAt --kill-at)
      endif()
      list(REMOVE_DUPLICATES imports)
      list(JOIN imports "\n" exports)
      file(WRITE ${CMAKE_BINARY_DIR}/delay-load/${name}.def "LIBRARY ${name}.dll\nEXPORTS\n${exports}\n")
      execute_process(COMMAND ${CMAKE_DLLTOOL} --input-def ${CMAKE_BINARY_DIR}/delay-load/${name}.def
                              --dllname ${name}.dll --output-delaylib ${delayImport}
                              ${killAt}
                      COMMAND_ERROR_IS_FATAL ANY)
    endif()
    target_link_libraries(${target} PRIVATE ${delayImport})
  endforeach()
endfunction()
