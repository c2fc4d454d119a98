# 32-bit Windows (the host's own platform), cross-built with mingw-w64 on Linux.
# The -posix compilers: the win32-thread variant has no std::mutex, which GoogleTest needs.
# SSE2 arithmetic (the i686 default is x87). libgcc, libstdc++ and winpthread are linked
# statically everywhere, so every DLL and executable imports system DLLs only.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

set(QN_MINGW_PREFIX i686-w64-mingw32)
set(CMAKE_C_COMPILER ${QN_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QN_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${QN_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${QN_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++ -static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++ -static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++ -static")

# ctest runs the cross-built test programs through Wine.
if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
  find_program(QN_WINE wine)
  if(QN_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR "${QN_WINE}" CACHE FILEPATH "Runs the test programs")
  endif()
endif()
