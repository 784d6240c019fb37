# Cross build for 64-bit Windows with Debian's mingw-w64 (posix threading model,
# which std::thread and friends need). The runtime is linked statically so the
# programs run on a bare Windows, or under Wine, without extra DLLs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ZINTAVO_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${ZINTAVO_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZINTAVO_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${ZINTAVO_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ZINTAVO_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
