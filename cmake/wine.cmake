# Wine as the emulator of this tree: one prefix per build tree, created once,
# with the null graphics driver (real windows, no display) and no crash dialog.
#
# A machine whose kernel runs no 32-bit Linux programs cannot start 32-bit
# Wine; the 32-bit tree then only builds, and the tests run in the 64-bit tree.
# On Windows the programs run as they are.
if(CMAKE_HOST_WIN32)
    set(TESTS_RUNNABLE ON)
    return()
endif()
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    find_program(WINE_LOADER NAMES wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
    find_program(WINE_LOADER NAMES wine64)
else()
    find_program(WINE_LOADER NAMES wine PATHS /usr/lib/wine NO_DEFAULT_PATH)
    find_program(WINE_LOADER NAMES wine)
endif()

set(TESTS_RUNNABLE OFF)
if(WINE_LOADER)
    execute_process(COMMAND ${WINE_LOADER} --version
                    RESULT_VARIABLE wine_result OUTPUT_QUIET ERROR_QUIET)
    if(wine_result EQUAL 0)
        set(TESTS_RUNNABLE ON)
    endif()
endif()

if(NOT TESTS_RUNNABLE)
    message(STATUS "Wine for this tree's architecture cannot run here: building without running")
    return()
endif()

set(WINE_PREFIX ${CMAKE_BINARY_DIR}/wineprefix)
set(WINE_RUN ${CMAKE_BINARY_DIR}/wine-run)
configure_file(${CMAKE_CURRENT_LIST_DIR}/wine-run.in ${WINE_RUN} @ONLY
               FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${WINE_RUN})

add_custom_command(
    OUTPUT ${WINE_PREFIX}/.ready
    COMMAND ${CMAKE_SOURCE_DIR}/scripts/wineprefix.sh ${WINE_RUN} ${WINE_PREFIX}
    COMMENT "Creating the Wine prefix of this build tree"
    VERBATIM)
add_custom_target(wineprefix ALL DEPENDS ${WINE_PREFIX}/.ready)
