# Shared part of the mingw-w64 cross builds; the including toolchain file
# names WD_MINGW_PREFIX, CMAKE_SYSTEM_PROCESSOR and WD_WINE_BUILD (the build
# whose Wine, as scripts/machine.sh chooses it, runs the tests).
set(CMAKE_SYSTEM_NAME Windows)
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
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-exec.sh ${WD_WINE_BUILD})
