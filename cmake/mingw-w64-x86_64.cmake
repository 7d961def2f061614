# Cross build for 64-bit Windows with Debian's MinGW-w64 (posix thread model,
# which has std::thread and std::mutex). Everything is linked statically so
# the executables import system DLLs only.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ML_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${ML_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ML_MINGW_PREFIX}-g++-posix)
set(CMAKE_ASM_COMPILER ${ML_MINGW_PREFIX}-gcc-posix)
set(CMAKE_RC_COMPILER ${ML_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ML_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Test programs run under Wine (scripts/test-windows.sh makes the prefix).
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh)
