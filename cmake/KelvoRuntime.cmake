# The modules share one C++ runtime (libstdc++, libgcc, winpthread as DLLs), so that an exception
# thrown in one module is caught by type in another. Those DLLs ship beside ours, stripped of
# their debugging sections and symbols (most of libstdc++'s 20+ MB) and signed like ours.
set(KELVO_RUNTIME_DLLS "")
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libgcc_s_dw2-1.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                  OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(IS_ABSOLUTE "${path}" AND EXISTS "${path}")
    list(APPEND KELVO_RUNTIME_DLLS "${path}")
  endif()
endforeach()
# winpthread lives in the target's sysroot rather than GCC's own folder.
if(NOT KELVO_RUNTIME_DLLS MATCHES "libwinpthread-1.dll")
  find_file(KELVO_WINPTHREAD_DLL libwinpthread-1.dll PATH_SUFFIXES lib bin REQUIRED)
  list(APPEND KELVO_RUNTIME_DLLS "${KELVO_WINPTHREAD_DLL}")
endif()

# The copies in the build's bin/, which the tests use and the SDK installs.
set(KELVO_SHIPPED_RUNTIME_DLLS "")
foreach(dll ${KELVO_RUNTIME_DLLS})
  get_filename_component(name ${dll} NAME)
  set(shipped ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/${name})
  kelvo_sign_commands(sign ${shipped} ${name})
  add_custom_command(OUTPUT ${shipped}
    COMMAND ${CMAKE_STRIP} --strip-all -o ${shipped} ${dll}
    ${sign}
    DEPENDS ${dll}
    COMMENT "Stripping and signing ${name}"
    COMMAND_EXPAND_LISTS VERBATIM)
  list(APPEND KELVO_SHIPPED_RUNTIME_DLLS ${shipped})
endforeach()
add_custom_target(KelvoRuntimeDlls ALL DEPENDS ${KELVO_SHIPPED_RUNTIME_DLLS})
