# The tools zip, unpacked alone into an empty folder and run from there under
# Wine, no build folder on its path: the package holds tavohost.exe and the
# probe of its bitness, and no simulated bench; check-module calls the shipped module as the tree's own
# check does (EXPECT_MODULE, EXIT_MODULE) and tavohost.exe itself no module,
# but stripped and with its version block; check-lang calls the packed Czech
# file clean; configure says in one line that it needs the bench.
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

include(${CMAKE_CURRENT_LIST_DIR}/tavohost_run.cmake)
function(run)
    tavohost_run(${package}/tavohost.exe ${ARGN})
endfunction()

file(GLOB_RECURSE packed RELATIVE ${package} ${package}/*)
list(SORT packed)
string(REGEX MATCH "win(32|64)-tools" bits ${name})
set(probe tavoprobe${CMAKE_MATCH_1}.exe)
if(NOT packed STREQUAL "README.txt;SHA256SUMS;docs/localizing.md;lang/cs.xml;lang/de.xml;tavohost.exe;${probe}")
    message(FATAL_ERROR "the tools package holds ${packed}")
endif()
# SHA256SUMS lists every other file of the package with the checksum certutil
# prints for it.
file(READ ${package}/SHA256SUMS sums)
list(REMOVE_ITEM packed SHA256SUMS)
foreach(name ${packed})
    file(SHA256 ${package}/${name} hash)
    if(NOT sums MATCHES "(^|\n)${hash}  ${name}\r?\n")
        message(FATAL_ERROR "SHA256SUMS has no line ${hash}  ${name}:\n${sums}")
    endif()
endforeach()
run(0 "^tavohost [0-9]+\\.[0-9]+\\.[0-9]+\n$" --version)
tavohost_run(${package}/${probe} 0 "^tavoprobe [0-9]+\\.[0-9]+\\.[0-9]+\n$" --version)
run(${EXIT_MODULE} "${EXPECT_MODULE}" check-module ${MODULE} --libs ${LIBRARIES})
run(1 "\nok    stripped: no symbol table, no DWARF sections \\[TM144\\]\n.*\nFAIL  its version block names the file tavohost.exe, version [0-9.]+, where"
    check-module tavohost.exe)
run(0 "^lang.cs.xml: 0 findings\n$" check-lang lang\\cs.xml)
run(2 "^tavohost: configure needs TestBench.dll, the simulated bench, beside tavohost.exe: it is not there\n$"
    configure ${MODULE})
# tavohost.exe alone in an empty folder: it starts and checks.
set(alone ${folder}/alone)
file(MAKE_DIRECTORY ${alone})
file(COPY ${package}/tavohost.exe DESTINATION ${alone})
tavohost_run(${alone}/tavohost.exe 0 "^tavohost [0-9]+\\.[0-9]+\\.[0-9]+\n$" --version)
tavohost_run(${alone}/tavohost.exe 0 "cs.xml: 0 findings\n$" check-lang ${package}/lang/cs.xml)
# Notepad on an older Windows shows a bare LF file as one long line. (CMake
# drops CRs when it reads text, so the bytes are read in hexadecimal.)
foreach(text README.txt SHA256SUMS)
    file(READ ${package}/${text} bytes HEX)
    string(REGEX REPLACE "(..)" "\\1 " bytes "${bytes}")
    if(bytes MATCHES "(^|[^0]. |.[^d] )0a " OR NOT bytes MATCHES "0d 0a $")
        message(FATAL_ERROR "${text} has a line that does not end with CR LF")
    endif()
endforeach()
