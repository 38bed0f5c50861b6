# Third-party code for the Windows target, built from Debian's own sources with the
# cross toolchain: zlib from its source package (fetched by scripts/setup.sh) and
# GoogleTest from the sources the googletest package installs.

set(ORVGEN_ZLIB_SOURCE ${PROJECT_SOURCE_DIR}/third_party/zlib-src CACHE PATH "zlib sources for the Windows target")
if(NOT EXISTS ${ORVGEN_ZLIB_SOURCE}/inflate.c)
  message(FATAL_ERROR "zlib sources missing in ${ORVGEN_ZLIB_SOURCE}: run scripts/setup.sh")
endif()
add_library(zlib_static STATIC
  ${ORVGEN_ZLIB_SOURCE}/adler32.c ${ORVGEN_ZLIB_SOURCE}/crc32.c ${ORVGEN_ZLIB_SOURCE}/inffast.c
  ${ORVGEN_ZLIB_SOURCE}/inflate.c ${ORVGEN_ZLIB_SOURCE}/inftrees.c ${ORVGEN_ZLIB_SOURCE}/zutil.c)
target_include_directories(zlib_static SYSTEM PUBLIC ${ORVGEN_ZLIB_SOURCE})

set(ORVGEN_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources for the Windows target")
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(${ORVGEN_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

# One self-contained exe: the C and C++ runtimes and winpthread linked in statically.
# Unused sections are dropped and symbols stripped, so the exe carries only what it runs.
# No link time in the PE header: the same sources give the same exe.
if(MINGW)
  add_link_options(-static -static-libgcc -static-libstdc++ -Wl,--no-insert-timestamp)
  add_compile_options($<$<CONFIG:MinSizeRel,Release>:-ffunction-sections> $<$<CONFIG:MinSizeRel,Release>:-fdata-sections>)
  add_link_options($<$<CONFIG:MinSizeRel,Release>:-Wl,--gc-sections> $<$<CONFIG:MinSizeRel,Release>:-s>)
endif()
