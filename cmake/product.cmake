# The product in the Microsoft C++ ABI: TestTAVO02.test and, unless it is built
# against the field's own libraries, the stand-ins of the three closed
# libraries (HostFrame.dll, TAVOTester.dll, MyWindow.dll).
#
# TAVO_FIELD_INCLUDE_DIRS  folders with the closed libraries' headers, used
#                          instead of framework/
# TAVO_FIELD_LIBRARIES     the closed libraries' import libraries
# TAVO_TESTBENCH_LIBRARY   the test bench's import library, for the stand-ins
# TAVO_OUTPUT_DIR          where the DLLs go (the host tree's bin folder)
set(TAVO_FIELD_INCLUDE_DIRS "" CACHE STRING "Folders with the headers of the field's closed libraries")
set(TAVO_FIELD_LIBRARIES "" CACHE STRING "Import libraries of the field's closed libraries")
set(TAVO_TESTBENCH_LIBRARY "" CACHE FILEPATH "Import library of TestBench.dll")
set(TAVO_OUTPUT_DIR ${CMAKE_BINARY_DIR}/bin CACHE PATH "Where the product's DLLs go")

set(TAVO_FIELD OFF)
if(TAVO_FIELD_INCLUDE_DIRS OR TAVO_FIELD_LIBRARIES)
    if(NOT TAVO_FIELD_INCLUDE_DIRS OR NOT TAVO_FIELD_LIBRARIES)
        message(FATAL_ERROR "A field build needs both TAVO_FIELD_INCLUDE_DIRS and TAVO_FIELD_LIBRARIES")
    endif()
    set(TAVO_FIELD ON)
endif()

set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${TAVO_OUTPUT_DIR})
set(CMAKE_ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/lib)
set(CMAKE_SHARED_LIBRARY_PREFIX "")

if(NOT MSVC AND NOT TAVO_MSVC_TARGET)
    message(FATAL_ERROR "Without Microsoft's compiler the product is built by clang's Microsoft target: "
                        "use cmake/clang-msvc-i686.cmake (or -x86_64.cmake) as the toolchain file")
endif()
if(NOT MSVC)
    # clang's Microsoft target against MinGW-w64's headers: they need a GNU
    # version, and 32-bit x86 named; no C++ library and no exceptions. As a
    # Visual Studio release build: RTTI, stack cookies (/GS) and CodeView
    # debug information for the PDB.
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-resource-dir
                    OUTPUT_VARIABLE clang_resources OUTPUT_STRIP_TRAILING_WHITESPACE)
    set(msvc_flags --target=${TAVO_MSVC_TARGET} -fgnuc-version=4.2.1 -nostdinc -fno-exceptions -frtti
        -fstack-protector-strong -gcodeview -fdebug-compilation-dir=. -ffile-prefix-map=${CMAKE_SOURCE_DIR}=.
        -isystem${CMAKE_SOURCE_DIR}/runtime/include -isystem${clang_resources}/include
        -isystem/usr/share/mingw-w64/include)
    if(TAVO_MSVC_TARGET MATCHES "^i686")
        list(APPEND msvc_flags -D_X86_)
    endif()
    add_compile_options("$<$<COMPILE_LANGUAGE:C,CXX>:${msvc_flags}>")
    set(TAVO_RUNTIME_SOURCES ${CMAKE_SOURCE_DIR}/runtime/MsvcAbi.cpp ${CMAKE_SOURCE_DIR}/runtime/SecurityCookie.cpp
        ${CMAKE_SOURCE_DIR}/runtime/CompilerHelpers.cpp)

    # The image: its own entry sets the stack cookie before MinGW's start-up
    # runs; stripped, with only its CodeView entry naming the PDB beside it
    # (the file name, not the build machine's path); the same bytes from the
    # same sources. On x86 it is marked as registering no SEH handler, which is
    # true: nothing in it is built with SEH (no exceptions, no __try), and lld
    # cannot build a SafeSEH table over MinGW's unmarked C runtime objects.
    add_link_options(-Wl,--pdb= -s -Wl,--Xlink=-pdbaltpath:%_PDB% -Wl,--Xlink=-Brepro
        -Wl,--Xlink=-pdbsourcepath:C:/build)
    # lld 16 keeps the DWARF of MinGW's C runtime objects when it writes a
    # PDB; llvm-objcopy takes it out of the image after the link.
    find_program(TAVO_OBJCOPY NAMES llvm-objcopy-16 llvm-objcopy REQUIRED)
    if(TAVO_MSVC_TARGET MATCHES "^i686")
        add_link_options(-Wl,--no-seh -Wl,--entry=_TavoDllStartup@12)
    else()
        add_link_options(-Wl,--entry=TavoDllStartup)
    endif()
endif()
if(MSVC)
    # What a Visual Studio release build does by default (/GR, /GS), the C
    # runtime linked in (nothing but the module goes beside the host), and a
    # PDB beside the module.
    set(CMAKE_MSVC_RUNTIME_LIBRARY "MultiThreaded$<$<CONFIG:Debug>:Debug>")
    add_compile_options(/W4 /EHs-c- /GR /GS /Zi)
    add_link_options(/DEBUG /OPT:REF /OPT:ICF /Brepro /PDBALTPATH:%_PDB%)
    add_compile_definitions(_CRT_SECURE_NO_WARNINGS)  # strncpy and friends, used with their sizes
endif()

if(TAVO_FIELD)
    set(closed_includes ${TAVO_FIELD_INCLUDE_DIRS})
    set(closed_libraries ${TAVO_FIELD_LIBRARIES})
else()
    if(NOT TAVO_TESTBENCH_LIBRARY)
        message(FATAL_ERROR "The stand-ins need TAVO_TESTBENCH_LIBRARY (the host tree passes it)")
    endif()
    set(framework ${CMAKE_SOURCE_DIR}/framework)
    add_library(MyWindow SHARED ${TAVO_WINDOW_SOURCES} ${TAVO_RUNTIME_SOURCES})
    target_include_directories(MyWindow PUBLIC ${framework})
    target_compile_definitions(MyWindow PRIVATE MYWINDOW_BUILD)
    target_link_libraries(MyWindow PRIVATE comctl32 gdi32 user32)

    add_library(HostFrame SHARED ${TAVO_HOSTFRAME_SOURCES} ${TAVO_RUNTIME_SOURCES})
    target_include_directories(HostFrame PRIVATE ${CMAKE_SOURCE_DIR}/bench)
    target_compile_definitions(HostFrame PRIVATE HOSTFRAME_BUILD)
    target_link_libraries(HostFrame PUBLIC MyWindow PRIVATE ${TAVO_TESTBENCH_LIBRARY})

    add_library(TAVOTester SHARED ${TAVO_TESTER_SOURCES} ${TAVO_RUNTIME_SOURCES})
    target_include_directories(TAVOTester PRIVATE ${CMAKE_SOURCE_DIR}/bench)
    target_compile_definitions(TAVOTester PRIVATE TAVOTESTER_BUILD)
    target_link_libraries(TAVOTester PUBLIC HostFrame PRIVATE ${TAVO_TESTBENCH_LIBRARY} user32)

    set(closed_includes ${framework})
    set(closed_libraries TAVOTester HostFrame MyWindow)

    # Code that needs runtime/'s helpers, for its tests.
    add_library(RuntimeProbe SHARED ${CMAKE_SOURCE_DIR}/tests/runtime/RuntimeProbe.cpp
        ${CMAKE_SOURCE_DIR}/tests/runtime/RuntimeProbe.def ${TAVO_RUNTIME_SOURCES})
endif()

# TestTAVO02.test: the plug-in module the production host loads.
set_source_files_properties(${TAVO_RESOURCE_SCRIPT} PROPERTIES OBJECT_DEPENDS "${TAVO_RESOURCE_INPUTS}")
tavo_module_layout()
add_library(TestTAVO02 SHARED ${TAVO_MODULE_SOURCES} ${TAVO_RUNTIME_SOURCES}
    ${CMAKE_SOURCE_DIR}/module/TestTAVO02.def ${TAVO_RESOURCE_SCRIPT})
target_include_directories(TestTAVO02 PRIVATE ${TAVO_MODULE_INCLUDE_DIRS} ${closed_includes})
target_compile_definitions(TestTAVO02 PRIVATE TESTTAVO02_BUILD)
target_link_libraries(TestTAVO02 PRIVATE ${closed_libraries} comctl32 gdi32 user32)
set_target_properties(TestTAVO02 PROPERTIES SUFFIX ".test")

if(TAVO_OBJCOPY)
    get_property(images DIRECTORY PROPERTY BUILDSYSTEM_TARGETS)
    foreach(image ${images})
        add_custom_command(TARGET ${image} POST_BUILD
            COMMAND ${TAVO_OBJCOPY} --strip-debug $<TARGET_FILE:${image}>
            VERBATIM)
    endforeach()
endif()

include(${CMAKE_CURRENT_LIST_DIR}/package.cmake)
