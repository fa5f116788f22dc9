# The same sources for 64-bit Windows: the tree the tests run in when the
# machine cannot start 32-bit Wine (see scripts/lib.sh, build_all).
set(MINGW_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
