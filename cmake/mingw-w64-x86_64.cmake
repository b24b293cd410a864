# Cross-compiles the core library and the command line for 64-bit Windows
# with Debian's MinGW-w64 (package g++-mingw-w64-x86-64-posix):
#
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
#
# The posix thread model is the one whose libstdc++ has std::thread and
# std::mutex. When Wine is installed, ctest runs the programs through it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(_bq_triplet x86_64-w64-mingw32)
find_program(CMAKE_CXX_COMPILER NAMES ${_bq_triplet}-g++-posix ${_bq_triplet}-g++ REQUIRED)
find_program(CMAKE_C_COMPILER NAMES ${_bq_triplet}-gcc-posix ${_bq_triplet}-gcc)
find_program(CMAKE_RC_COMPILER NAMES ${_bq_triplet}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${_bq_triplet})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# One self-contained .exe: no MinGW runtime DLLs to ship or to find.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

find_program(BQ_WINE NAMES wine wine64 wine-stable)
if(BQ_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${BQ_WINE})
endif()
