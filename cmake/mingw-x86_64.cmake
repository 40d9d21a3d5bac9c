# Cross build for 64-bit Windows with mingw-w64: the tests and the run
# command on machines that cannot run 32-bit programs. /usr/bin/wine picks
# the 32-bit loader whenever it is installed, so the 64-bit one is named.
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(WD_MINGW_PREFIX x86_64-w64-mingw32)
set(WD_WINE_LOADER /usr/lib/wine/wine64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
