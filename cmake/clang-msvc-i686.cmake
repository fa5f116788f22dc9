# The product for 32-bit Windows in the Microsoft C++ ABI (see clang-msvc-common.cmake).
set(MINGW_TRIPLET i686-w64-mingw32)
set(TAVO_MSVC_TARGET i686-pc-windows-msvc)
include(${CMAKE_CURRENT_LIST_DIR}/clang-msvc-common.cmake)
