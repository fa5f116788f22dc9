# Cross build for 32-bit Windows with MinGW-w64 (posix thread variant).
set(MINGW_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
