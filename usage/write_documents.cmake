# Run by the build: asks PROGRAM for its manual page (written gzip'ed to
# PAGE) and, when COMPLETION names a file, for its bash completion script.
function(run_program option output)
  execute_process(COMMAND ${PROGRAM} ${option} OUTPUT_FILE ${output}
    RESULT_VARIABLE status ERROR_VARIABLE errors)
  if(NOT status EQUAL 0)
    file(REMOVE ${output})
    message(FATAL_ERROR "${PROGRAM} ${option} failed (${status}):\n${errors}")
  endif()
endfunction()

get_filename_component(folder ${PAGE} DIRECTORY)
file(MAKE_DIRECTORY ${folder})
string(REGEX REPLACE "\\.gz$" "" plain ${PAGE})
run_program(--manual-page ${plain})
# gzip -n: no name or time stamp inside, so the page is the same on every build.
execute_process(COMMAND gzip -9nf ${plain} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "gzip ${plain} failed")
endif()

if(COMPLETION)
  get_filename_component(folder ${COMPLETION} DIRECTORY)
  file(MAKE_DIRECTORY ${folder})
  run_program(--bash-completion ${COMPLETION})
endif()
