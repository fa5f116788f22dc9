# The sources of the product and of the stand-ins of the closed libraries:
# built in Microsoft's C++ ABI as the shipped binaries, and once more by this
# tree's compiler for the few tests that reach inside them.
set(TAVO_MODULE_SOURCES
    module/TestTAVO02.cpp
    module/TestTAVO02Texts.cpp
    module/TestTAVO02Series.cpp
    module/ModalRun.cpp
    module/Invariant.cpp
    config/DlgConfig.cpp
    series/DlgConfirm.cpp
    series/DlgTestConfig.cpp
    series/ConfigList.cpp)
set(TAVO_MODULE_INCLUDE_DIRS module config series resources)
set(TAVO_WINDOW_SOURCES
    standin/window/DynString.cpp
    standin/window/MyObject.cpp
    standin/window/MyWindow.cpp
    standin/window/MyDialog.cpp
    standin/window/ColoredText.cpp)
set(TAVO_HOSTFRAME_SOURCES standin/hostframe/Test.cpp)
set(TAVO_TESTER_SOURCES standin/tester/Tester.cpp)

foreach(list TAVO_MODULE_SOURCES TAVO_MODULE_INCLUDE_DIRS TAVO_WINDOW_SOURCES TAVO_HOSTFRAME_SOURCES
        TAVO_TESTER_SOURCES)
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
