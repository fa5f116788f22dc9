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
# Debian's /usr/bin/wine falls back to the 64-bit loader when wine32 is
# missing, so a 32-bit tree takes only a 32-bit loader.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(wine_name wine64)
    set(wine_package wine64)
else()
    set(wine_name wine)
    set(wine_package wine32:i386)
endif()
find_program(WINE_LOADER NAMES ${wine_name} PATHS /usr/lib/wine NO_DEFAULT_PATH)
if(NOT EXISTS /usr/lib/wine)
    find_program(WINE_LOADER NAMES ${wine_name})
endif()

# Why this tree's programs cannot run here, for the scripts to say; empty
# when they can.
set(wine_reason "")
if(NOT WINE_LOADER)
    set(wine_reason "no Wine for it: ${wine_package} is not installed")
else()
    execute_process(COMMAND ${WINE_LOADER} --version
                    RESULT_VARIABLE wine_result OUTPUT_QUIET ERROR_VARIABLE wine_error)
    if(NOT wine_result EQUAL 0)
        # One line: Wine's own lines joined.
        string(STRIP "${wine_error}" wine_error)
        string(REGEX REPLACE "[\r\n]+" "; " wine_error "${wine_error}")
        set(wine_reason
            "Wine is installed but cannot start here: ${WINE_LOADER} --version: ${wine_error} (exit status ${wine_result})")
    endif()
endif()
set(TESTS_RUNNABLE ON)
file(REMOVE ${CMAKE_BINARY_DIR}/wine-unavailable)
if(wine_reason)
    set(TESTS_RUNNABLE OFF)
    file(WRITE ${CMAKE_BINARY_DIR}/wine-unavailable "${wine_reason}\n")
    file(REMOVE ${CMAKE_BINARY_DIR}/wine-run)
    message(STATUS "${wine_reason}: building without running")
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
