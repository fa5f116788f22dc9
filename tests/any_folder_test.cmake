# Every command of tavohost run from and on a folder whose name holds
# Cyrillic and Japanese letters, which no ANSI code page holds together: the
# programs, the module with its libraries, and files named in Czech, Russian
# and Japanese copied into it (BIN, the tree's bin folder; EXAMPLES; LANG).
# The module check gives the tree's own verdict (EXIT_MODULE, EXPECT_MODULE).
set(folder "${BIN}/../any-folder/Кириллица-日本語")
file(REMOVE_RECURSE "${BIN}/../any-folder")
file(MAKE_DIRECTORY "${folder}")
file(GLOB binaries "${BIN}/*.exe" "${BIN}/*.dll" "${BIN}/*.test" "${BIN}/*.pdb")
file(COPY ${binaries} DESTINATION "${folder}")
file(COPY_FILE "${LANG}/cs.xml" "${folder}/jazyk-čeština.xml")
file(COPY_FILE "${EXAMPLES}/bench.ini" "${folder}/стенд.ini")
file(COPY_FILE "${EXAMPLES}/series.script" "${folder}/シリーズ.script")
set(module "${folder}/TestTAVO02.test")

include(${CMAKE_CURRENT_LIST_DIR}/tavohost_run.cmake)
function(run)
    tavohost_run("${folder}/tavohost.exe" ${ARGN})
endfunction()

run(0 "Identifier: +19796" info "${module}")
run(0 "dialog 2020 +language file +\"Konfigurace čítače\"" texts "${module}" --lang "${folder}/jazyk-čeština.xml")
run(${EXIT_MODULE} "${EXPECT_MODULE}" check-module "${module}")
run(0 "jazyk-čeština.xml: 0 findings\n$" check-lang "${folder}/jazyk-čeština.xml")
run(0 "ConfigureThermometer answered 2" configure "${module}" --bench "${folder}/стенд.ini"
    --script "${folder}/シリーズ.script" --lang "${folder}/jazyk-čeština.xml" --report "${folder}/zpráva.txt"
    --save-bench "${folder}/стенд-после.ini" --log "${folder}/záznam.csv" --shots "${folder}/obrázek")
foreach(written zpráva.txt стенд-после.ini záznam.csv)
    if(NOT EXISTS "${folder}/${written}")
        message(FATAL_ERROR "configure did not write ${written}")
    endif()
endforeach()
file(READ "${folder}/стенд-после.ini" saved)
if(NOT saved MATCHES "\\[Unit D\\]")
    message(FATAL_ERROR "the saved bench holds no unit D:\n${saved}")
endif()
