# Cross build for 64-bit Windows with Debian's MinGW-w64 (POSIX threads model,
# so std::thread works). The programs link libgcc, libstdc++ and winpthread
# statically and run without any DLL beside them.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VELALINK_MINGW_TRIPLET x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${VELALINK_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VELALINK_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${VELALINK_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VELALINK_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
# Test programs run under Wine from the build host.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
