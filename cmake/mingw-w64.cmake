# Cross-building for 64-bit Windows with Debian's mingw-w64 (POSIX threads), every library static.
# The libraries come from scripts/windows/build-deps.sh; TAVRIX_WINDOWS_DEPS names its prefix.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TAVRIX_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TAVRIX_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TAVRIX_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${TAVRIX_MINGW}-windres)

if(NOT TAVRIX_WINDOWS_DEPS)
  if(DEFINED ENV{TAVRIX_WINDOWS_DEPS})
    set(TAVRIX_WINDOWS_DEPS $ENV{TAVRIX_WINDOWS_DEPS})
  elseif(DEFINED ENV{TAVRIX_WINDOWS_CACHE})
    set(TAVRIX_WINDOWS_DEPS $ENV{TAVRIX_WINDOWS_CACHE}/prefix)
  elseif(DEFINED ENV{XDG_CACHE_HOME})
    set(TAVRIX_WINDOWS_DEPS $ENV{XDG_CACHE_HOME}/tavrix-windows/prefix)
  else()
    set(TAVRIX_WINDOWS_DEPS $ENV{HOME}/.cache/tavrix-windows/prefix)
  endif()
endif()
set(TAVRIX_WINDOWS_DEPS ${TAVRIX_WINDOWS_DEPS} CACHE PATH "Prefix of the cross-built libraries")
# try_compile projects see the prefix too.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES TAVRIX_WINDOWS_DEPS)

set(CMAKE_FIND_ROOT_PATH /usr/${TAVRIX_MINGW} ${TAVRIX_WINDOWS_DEPS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config answers for the target's libraries only, and with their static dependencies.
set(ENV{PKG_CONFIG_LIBDIR} ${TAVRIX_WINDOWS_DEPS}/lib/pkgconfig:${TAVRIX_WINDOWS_DEPS}/share/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")
set(ENV{PKG_CONFIG_SYSROOT_DIR} "")
set(PKG_CONFIG_ARGN --static)

set(Boost_USE_STATIC_LIBS ON)
set(Boost_USE_STATIC_RUNTIME ON)
set(BUILD_SHARED_LIBS OFF)

# No DLL of the compiler's runtime beside the program: libgcc, libstdc++ and winpthread go in.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
