# Warnings are errors for the project's own targets; third-party code (GoogleTest) keeps its own flags.
# Only C++ sources get them: the resource compiler of a target's .rc files knows none of them.
function(kelvo_warnings target)
  target_compile_options(${target} PRIVATE
    $<$<COMPILE_LANGUAGE:CXX>:-Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion -Werror>)
endfunction()
