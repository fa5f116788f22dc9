# The product (the module and the stand-ins of the closed libraries) as a
# project of its own in this tree's product/ folder, built with clang in the
# Microsoft C++ ABI, its DLLs put into this tree's bin/ beside the programs
# that load them. It is rebuilt, when its sources changed, with every build.
include(ExternalProject)

set(TAVO_PRODUCT_DIR ${CMAKE_BINARY_DIR}/product)
set(TAVO_MODULE ${CMAKE_BINARY_DIR}/bin/TestTAVO02.test)
ExternalProject_Add(product
    SOURCE_DIR ${CMAKE_SOURCE_DIR}
    BINARY_DIR ${TAVO_PRODUCT_DIR}
    CMAKE_ARGS
        -G ${CMAKE_GENERATOR}
        -DCMAKE_TOOLCHAIN_FILE=${CMAKE_SOURCE_DIR}/cmake/clang-msvc-${CMAKE_SYSTEM_PROCESSOR}.cmake
        -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE}
        -DTAVO_PRODUCT_ONLY=ON
        -DTAVO_OUTPUT_DIR=${CMAKE_BINARY_DIR}/bin
        -DTAVO_TESTBENCH_LIBRARY=$<TARGET_LINKER_FILE:TestBench>
    BUILD_COMMAND ${CMAKE_COMMAND} --build ${TAVO_PRODUCT_DIR} -j2
    BUILD_ALWAYS ON
    INSTALL_COMMAND ""
    DEPENDS TestBench
    BUILD_BYPRODUCTS ${TAVO_MODULE}
    USES_TERMINAL_BUILD ON)
