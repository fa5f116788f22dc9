# The same product for 64-bit Windows, for a machine whose kernel cannot start
# 32-bit Wine (see clang-msvc-common.cmake).
set(MINGW_TRIPLET x86_64-w64-mingw32)
set(TAVO_MSVC_TARGET x86_64-pc-windows-msvc)
include(${CMAKE_CURRENT_LIST_DIR}/clang-msvc-common.cmake)
