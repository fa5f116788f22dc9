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

# The module's resource script, with its version from the project's. The
# resource compiler names no dependencies of its own: every file the script
# includes is listed, so that an edit of any of them rebuilds what holds it.
configure_file(${CMAKE_SOURCE_DIR}/resources/version.h.in ${CMAKE_BINARY_DIR}/generated/version.h @ONLY)
list(APPEND TAVO_MODULE_INCLUDE_DIRS ${CMAKE_BINARY_DIR}/generated)
set(TAVO_RESOURCE_SCRIPT ${CMAKE_SOURCE_DIR}/resources/TestTAVO02.rc)
set(TAVO_RESOURCE_INPUTS DlgConfig.rc SeriesDialogs.rc resource.h TestTAVO02.ico toolbar.bmp unit_board.bmp)
list(TRANSFORM TAVO_RESOURCE_INPUTS PREPEND ${CMAKE_SOURCE_DIR}/resources/)
list(APPEND TAVO_RESOURCE_INPUTS ${CMAKE_BINARY_DIR}/generated/version.h)
