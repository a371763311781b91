# Cross-compiles for 64-bit Windows with clang on Debian's MinGW-w64 headers and
# libraries, with the same C++ runtime as the GCC build (win32 thread model).
set(triple x86_64-w64-mingw32)
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER clang)
set(CMAKE_C_COMPILER_TARGET ${triple})
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_CXX_COMPILER_TARGET ${triple})
set(CMAKE_RC_COMPILER ${triple}-windres)
set(CMAKE_SYSROOT /usr/${triple})

# clang 14 does not find GCC's C++ headers and libraries by itself.
file(GLOB gcc_dirs LIST_DIRECTORIES true /usr/lib/gcc/${triple}/*-win32)
list(SORT gcc_dirs COMPARE NATURAL)
list(POP_BACK gcc_dirs gcc_dir)
if(NOT gcc_dir)
  message(FATAL_ERROR "no MinGW-w64 GCC (win32 thread model) under /usr/lib/gcc/${triple}")
endif()
set(CMAKE_CXX_STANDARD_INCLUDE_DIRECTORIES
  ${gcc_dir}/include/c++ ${gcc_dir}/include/c++/${triple} ${gcc_dir}/include/c++/backward)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-fuse-ld=lld -L${gcc_dir}")

set(CMAKE_FIND_ROOT_PATH /usr/${triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
