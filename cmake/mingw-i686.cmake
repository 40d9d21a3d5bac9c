# Cross build for 32-bit Windows with mingw-w64; programs run under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)
set(WD_MINGW_PREFIX i686-w64-mingw32)
# The win32 thread model: the posix one links winpthreads, which imports
# GetTickCount64, AddVectoredExceptionHandler and TryEnterCriticalSection,
# and no Windows the utility is for has all of them.
set(CMAKE_C_COMPILER ${WD_MINGW_PREFIX}-gcc-win32)
set(CMAKE_CXX_COMPILER ${WD_MINGW_PREFIX}-g++-win32)
set(CMAKE_RC_COMPILER ${WD_MINGW_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${WD_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
