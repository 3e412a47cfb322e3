# Cross-compiling for 64-bit Windows with Debian's mingw-w64, POSIX threading variant (the win32
# variant of GCC 12 has no std::thread or std::mutex). Test programs run through Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(PELLMAR_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${PELLMAR_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${PELLMAR_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${PELLMAR_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${PELLMAR_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# A clean Windows has no libgcc, libstdc++ or winpthread DLLs: link them in.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static-libgcc")

find_program(PELLMAR_WINE NAMES wine wine64)
if(PELLMAR_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${PELLMAR_WINE})
endif()
set(ZLIB_USE_STATIC_LIBS ON)
