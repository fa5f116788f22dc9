# The tools zip, unpacked alone into an empty folder and run from there under
# Wine, no build folder on its path: check-module calls the shipped module as
# the tree's own check does (EXPECT_MODULE, EXIT_MODULE) and a library of no
# test module not fit; check-lang calls the packed Czech file clean.
set(folder ${CMAKE_CURRENT_BINARY_DIR}/unpacked-tools)
file(REMOVE_RECURSE ${folder})
file(MAKE_DIRECTORY ${folder})
execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf ${ZIP} WORKING_DIRECTORY ${folder} RESULT_VARIABLE unpacked)
get_filename_component(name ${ZIP} NAME)
string(REGEX REPLACE "\\.zip$" "" name ${name})
if(NOT unpacked EQUAL 0 OR NOT EXISTS ${folder}/${name}/tavohost.exe)
    message(FATAL_ERROR "${ZIP} does not unpack to ${name}/tavohost.exe")
endif()
set(package ${folder}/${name})

# run(EXIT OUTPUT ARGS...): tavohost.exe of the package, started in its folder.
function(run exit output)
    execute_process(COMMAND ${EMULATOR} ${package}/tavohost.exe ${ARGN} WORKING_DIRECTORY ${package}
                    RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
    if(NOT status STREQUAL exit OR NOT "${out}${err}" MATCHES "${output}")
        message(FATAL_ERROR "tavohost ${ARGN}: exit status ${status}, expected ${exit}, output to match "
                            "'${output}'; it printed:\n${out}${err}")
    endif()
endfunction()

run(${EXIT_MODULE} "${EXPECT_MODULE}" check-module ${MODULE} --libs ${LIBRARIES})
run(1 "\nFAIL  exports more than the class" check-module TestBench.dll)
run(0 "^lang.cs.xml: 0 findings\n$" check-lang lang\\cs.xml)
# Notepad on an older Windows shows a bare LF file as one long line. (CMake
# drops CRs when it reads text, so the bytes are read in hexadecimal.)
foreach(text README.txt SHA256SUMS examples/bench.ini)
    file(READ ${package}/${text} bytes HEX)
    string(REGEX REPLACE "(..)" "\\1 " bytes "${bytes}")
    if(bytes MATCHES "(^|[^0]. |.[^d] )0a " OR NOT bytes MATCHES "0d 0a $")
        message(FATAL_ERROR "${text} has a line that does not end with CR LF")
    endif()
endforeach()
