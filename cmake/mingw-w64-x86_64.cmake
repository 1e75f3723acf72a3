# SPDX-License-Identifier: GPL-3.0-or-later
# Cross-builds for 64-bit Windows with Debian's MinGW-w64 (posix threads).
# The Windows libraries (Qt, ICU, libzip, libdeflate, GoogleTest) are looked
# for in the folders VAMO_WIN_PREFIX lists (environment or cache variable,
# separated by semicolons), zlib in MinGW's own
# sysroot; nothing is ever taken from the host's /usr.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(triple x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${triple}-g++-posix)
set(CMAKE_RC_COMPILER ${triple}-windres)
set(CMAKE_AR ${triple}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${triple}-gcc-ranlib-posix CACHE FILEPATH "")
set(CMAKE_OBJDUMP ${triple}-objdump CACHE FILEPATH "")

if(NOT VAMO_WIN_PREFIX AND DEFINED ENV{VAMO_WIN_PREFIX})
  set(VAMO_WIN_PREFIX $ENV{VAMO_WIN_PREFIX})
endif()
set(VAMO_WIN_PREFIX "${VAMO_WIN_PREFIX}" CACHE STRING "Where the Windows libraries are installed (a list)")
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES VAMO_WIN_PREFIX)

set(CMAKE_FIND_ROOT_PATH /usr/${triple})
if(VAMO_WIN_PREFIX)
  list(PREPEND CMAKE_FIND_ROOT_PATH ${VAMO_WIN_PREFIX})
endif()
# pkg-config reads only the Windows libraries' files, whoever configures
# (a reconfigure from a plain `cmake --build` too): never the host's.
set(vamo_pc_dirs "")
foreach(prefix IN LISTS VAMO_WIN_PREFIX)
  list(APPEND vamo_pc_dirs ${prefix}/lib/pkgconfig)
endforeach()
string(REPLACE ";" ":" vamo_pc_dirs "${vamo_pc_dirs}")
set(ENV{PKG_CONFIG_LIBDIR} "${vamo_pc_dirs}")
set(ENV{PKG_CONFIG_PATH} "")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Test programs run under Wine (Debian's Wine is 64-bit only and not on PATH).
if(EXISTS /usr/lib/wine/wine64)
  set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)
endif()
