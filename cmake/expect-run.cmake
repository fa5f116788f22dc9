# Runs COMMAND (a list) once and checks its exit status against EXIT and what
# it prints, standard output and error together, against the regular
# expression OUTPUT; says both when either differs. With FILE, the file the
# command wrote must begin with the bytes BEGINS (hexadecimal).
if(FILE)
    file(REMOVE ${FILE})
endif()
execute_process(COMMAND ${COMMAND} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
set(printed "${out}${err}")
if(NOT status STREQUAL EXIT)
    message(FATAL_ERROR "exit status ${status}, expected ${EXIT}; it printed:\n${printed}")
endif()
if(NOT printed MATCHES "${OUTPUT}")
    message(FATAL_ERROR "the output does not match '${OUTPUT}'; it printed:\n${printed}")
endif()
if(FILE)
    string(LENGTH "${BEGINS}" digits)
    math(EXPR bytes "${digits} / 2")
    file(READ ${FILE} begins LIMIT ${bytes} HEX)
    if(NOT begins STREQUAL BEGINS)
        message(FATAL_ERROR "${FILE} begins with ${begins}, expected ${BEGINS}")
    endif()
endif()
