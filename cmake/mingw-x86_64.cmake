# Cross build for 64-bit Windows with mingw-w64: the tests and the run
# command on machines that cannot run 32-bit programs.
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(WD_MINGW_PREFIX x86_64-w64-mingw32)
set(WD_WINE_BUILD mingw64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
