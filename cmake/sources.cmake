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
