# The sources of the product and of the stand-ins of the closed libraries:
# built in Microsoft's C++ ABI as the shipped binaries, and once more by this
# tree's compiler for the few tests that reach inside them.
# The module's folders, each with the folders its sources may include from:
# module/ uses the dialogs of config/ and series/, and they and the procedure
# share dialogkit/; nothing includes upwards.
set(TAVO_MODULE_SOURCES_module TestTAVO02.cpp TestTAVO02Texts.cpp TestTAVO02Series.cpp)
set(TAVO_MODULE_SOURCES_config DlgConfig.cpp)
set(TAVO_MODULE_SOURCES_series DlgConfirm.cpp DlgTestConfig.cpp ConfigList.cpp)
set(TAVO_MODULE_SOURCES_dialogkit ModalRun.cpp Invariant.cpp)
set(TAVO_MODULE_SEES_module module config series)
set(TAVO_MODULE_SEES_config config)
set(TAVO_MODULE_SEES_series series)
set(TAVO_MODULE_SEES_dialogkit "")
set(TAVO_MODULE_SOURCES "")
foreach(folder module config series dialogkit)
    list(TRANSFORM TAVO_MODULE_SOURCES_${folder} PREPEND ${CMAKE_SOURCE_DIR}/${folder}/)
    list(TRANSFORM TAVO_MODULE_SEES_${folder} PREPEND ${CMAKE_SOURCE_DIR}/)
    list(APPEND TAVO_MODULE_SOURCES ${TAVO_MODULE_SOURCES_${folder}})
endforeach()
# What every source of the module sees: the shared folder and the resources.
set(TAVO_MODULE_INCLUDE_DIRS ${CMAKE_SOURCE_DIR}/dialogkit ${CMAKE_SOURCE_DIR}/resources)
# The folders of the module, for tests that reach inside it.
set(TAVO_MODULE_FOLDERS ${CMAKE_SOURCE_DIR}/module ${CMAKE_SOURCE_DIR}/config ${CMAKE_SOURCE_DIR}/series)

# tavo_module_layout(): gives each source of the module, in the calling
# folder's scope, the include folders of its own folder alone.
function(tavo_module_layout)
    foreach(folder module config series dialogkit)
        set_source_files_properties(${TAVO_MODULE_SOURCES_${folder}} PROPERTIES
            INCLUDE_DIRECTORIES "${TAVO_MODULE_SEES_${folder}}")
    endforeach()
endfunction()
set(TAVO_WINDOW_SOURCES
    standin/window/DynString.cpp
    standin/window/MyObject.cpp
    standin/window/MyWindow.cpp
    standin/window/MyDialog.cpp
    standin/window/ColoredText.cpp)
set(TAVO_HOSTFRAME_SOURCES standin/hostframe/Test.cpp)
set(TAVO_TESTER_SOURCES standin/tester/Tester.cpp)

foreach(list TAVO_WINDOW_SOURCES TAVO_HOSTFRAME_SOURCES TAVO_TESTER_SOURCES)
    list(TRANSFORM ${list} PREPEND ${CMAKE_CURRENT_LIST_DIR}/../)
endforeach()

# tavo_resource_inputs(SCRIPT FOLDERS OUT): every file a resource script takes
# in, read from it and from the scripts it includes: the quoted includes and
# the files its ICON and BITMAP statements name, each looked for beside the
# script, then in FOLDERS. A name found nowhere stops the configuration.
function(tavo_resource_inputs script folders out)
    set(inputs "")
    set(pending ${script})
    while(pending)
        list(POP_FRONT pending file)
        set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${file})
        get_filename_component(beside ${file} DIRECTORY)
        file(STRINGS ${file} lines REGEX "^[ \t]*#include[ \t]+\"|^[^/]*[ \t](ICON|BITMAP)[ \t]+\"")
        foreach(line IN LISTS lines)
            string(REGEX MATCH "\"([^\"]+)\"" quoted "${line}")
            set(found "")
            foreach(folder ${beside} ${folders})
                if(NOT found AND EXISTS ${folder}/${CMAKE_MATCH_1})
                    set(found ${folder}/${CMAKE_MATCH_1})
                endif()
            endforeach()
            if(NOT found)
                message(FATAL_ERROR "${file} takes in ${CMAKE_MATCH_1}, which is neither beside it nor in ${folders}")
            endif()
            if(NOT found IN_LIST inputs)
                list(APPEND inputs ${found})
                if(found MATCHES "\\.(rc|h)$")
                    list(APPEND pending ${found})
                endif()
            endif()
        endforeach()
    endwhile()
    set(${out} ${inputs} PARENT_SCOPE)
endfunction()

# The module's resource script, with its version from the project's. The
# resource compiler names no dependencies of its own: every file the script
# takes in is found by reading it, so that an edit of any of them rebuilds
# what holds it, and an include added is found at the next configuration.
configure_file(${CMAKE_SOURCE_DIR}/resources/version.h.in ${CMAKE_BINARY_DIR}/generated/version.h @ONLY)
list(APPEND TAVO_MODULE_INCLUDE_DIRS ${CMAKE_BINARY_DIR}/generated)
set(TAVO_RESOURCE_SCRIPT ${CMAKE_SOURCE_DIR}/resources/TestTAVO02.rc)
tavo_resource_inputs(${TAVO_RESOURCE_SCRIPT} ${CMAKE_BINARY_DIR}/generated TAVO_RESOURCE_INPUTS)
