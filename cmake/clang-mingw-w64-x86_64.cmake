# Cross build for 64-bit Windows with clang and lld, over the headers and libraries of
# MinGW-w64's posix-thread gcc (libstdc++, libgcc, winpthread); tests run under Wine.
#
# clang looks for gcc's files in lib/gcc/<triple>/<version> below its sysroot and takes
# only a plain version number there; Debian names that folder "12-posix", which clang
# passes over. Left alone, clang would then search the build machine's own /usr/include
# and /usr/lib. So the toolchain gets a sysroot of its own in the build folder, made of
# symbolic links only: the MinGW-w64 headers and libraries, and gcc's folder under a
# name clang accepts.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(triple x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_C_COMPILER_TARGET ${triple})
set(CMAKE_CXX_COMPILER_TARGET ${triple})
# The archiver comes with MinGW-w64's binutils, which gcc brings along.
find_program(CMAKE_AR ${triple}-ar REQUIRED)
find_program(CMAKE_RANLIB ${triple}-ranlib REQUIRED)

# try_compile projects read this file again; they reuse the sysroot of the main build.
if(NOT ORVGEN_CLANG_SYSROOT)
  set(ORVGEN_CLANG_SYSROOT ${CMAKE_BINARY_DIR}/clang-sysroot)
  # gcc names its own folder: that is the one whose libstdc++ and libgcc we link.
  execute_process(COMMAND ${triple}-g++-posix -print-libgcc-file-name
                  OUTPUT_VARIABLE libgcc OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE failed)
  if(failed OR NOT EXISTS "${libgcc}")
    message(FATAL_ERROR "${triple}-g++-posix not found: run scripts/setup.sh")
  endif()
  get_filename_component(gccDir ${libgcc} DIRECTORY)
  get_filename_component(gccVersion ${gccDir} NAME)
  string(REGEX MATCH "^[0-9]+(\\.[0-9]+)*" gccVersion ${gccVersion})
  file(MAKE_DIRECTORY ${ORVGEN_CLANG_SYSROOT}/${triple} ${ORVGEN_CLANG_SYSROOT}/lib/gcc/${triple})
  file(CREATE_LINK /usr/${triple}/include ${ORVGEN_CLANG_SYSROOT}/${triple}/include SYMBOLIC)
  file(CREATE_LINK /usr/${triple}/lib ${ORVGEN_CLANG_SYSROOT}/${triple}/lib SYMBOLIC)
  file(CREATE_LINK ${gccDir} ${ORVGEN_CLANG_SYSROOT}/lib/gcc/${triple}/${gccVersion} SYMBOLIC)
endif()
set(CMAKE_SYSROOT ${ORVGEN_CLANG_SYSROOT})
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES ORVGEN_CLANG_SYSROOT)

# gcc's posix build links winpthread on its own; clang does so when asked.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-fuse-ld=lld -pthread")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-fuse-ld=lld -pthread")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-fuse-ld=lld -pthread")

find_program(ORVGEN_WINE NAMES wine wine64 REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${ORVGEN_WINE})
