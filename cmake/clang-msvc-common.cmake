# Shared part of the product's two toolchain files; the caller sets
# MINGW_TRIPLET (i686-w64-mingw32, ...) and TAVO_MSVC_TARGET (i686-pc-windows-msvc, ...).
#
# The product speaks the Microsoft C++ ABI of the production host and the
# closed libraries: clang compiles it for TAVO_MSVC_TARGET against MinGW-w64's
# headers and C runtime (cmake/product.cmake adds those flags), and clang's
# MinGW driver links it with lld, which brings MinGW's DLL start-up code.
set(CMAKE_SYSTEM_NAME Windows)
string(REGEX MATCH "^[^-]+" CMAKE_SYSTEM_PROCESSOR ${MINGW_TRIPLET})

set(CMAKE_C_COMPILER clang-16)
set(CMAKE_CXX_COMPILER clang++-16)
set(CMAKE_C_COMPILER_TARGET ${CMAKE_SYSTEM_PROCESSOR}-w64-windows-gnu)
set(CMAKE_CXX_COMPILER_TARGET ${CMAKE_SYSTEM_PROCESSOR}-w64-windows-gnu)
set(CMAKE_RC_COMPILER ${MINGW_TRIPLET}-windres)
# No C++ library in the product (MinGW's is the other ABI's); libgcc linked
# in, from the folder MinGW's own compiler names.
execute_process(COMMAND ${MINGW_TRIPLET}-gcc-posix -print-libgcc-file-name
                OUTPUT_VARIABLE mingw_libgcc OUTPUT_STRIP_TRAILING_WHITESPACE)
get_filename_component(mingw_libgcc_dir "${mingw_libgcc}" DIRECTORY)
if(NOT EXISTS "${mingw_libgcc_dir}")
    message(FATAL_ERROR "${MINGW_TRIPLET}-gcc-posix does not name its libgcc (is MinGW-w64 installed?)")
endif()
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-fuse-ld=lld -nostdlib++ -static-libgcc -L${mingw_libgcc_dir}")
set(CMAKE_EXE_LINKER_FLAGS_INIT ${CMAKE_SHARED_LINKER_FLAGS_INIT})

set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

