# tavohost_run(PROGRAM EXIT OUTPUT ARGS...): PROGRAM (a tavohost.exe) run under
# EMULATOR in its own folder; fails unless it exits with EXIT and prints, on
# standard output and error together, what matches OUTPUT.
function(tavohost_run program exit output)
    get_filename_component(folder "${program}" DIRECTORY)
    execute_process(COMMAND ${EMULATOR} "${program}" ${ARGN} WORKING_DIRECTORY "${folder}"
                    RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
    if(NOT status STREQUAL exit OR NOT "${out}${err}" MATCHES "${output}")
        message(FATAL_ERROR "tavohost ${ARGN}: exit status ${status}, expected ${exit}, output to match "
                            "'${output}'; it printed:\n${out}${err}")
    endif()
endfunction()
