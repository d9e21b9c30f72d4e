# Warnings are errors for the project's own targets; third-party code (GoogleTest) keeps its own flags.
function(kelvo_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion -Werror)
endfunction()
