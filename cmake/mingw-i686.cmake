# Cross build for 32-bit Windows with mingw-w64: what ships.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(WD_MINGW_PREFIX i686-w64-mingw32)
set(WD_WINE_BUILD mingw)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
