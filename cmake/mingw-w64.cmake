# Cross-compiles for 64-bit Windows with Debian's mingw-w64 (posix thread model, so std::thread
# works). Libraries built for Windows outside this tree (libcurl, Qt) are found through the
# BRINDLE_WIN_PREFIXES environment variable, a ';'-separated list of install prefixes; it is read
# from the environment so that CMake's try_compile projects see it too.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

# Kept in the cache as well, so that a later reconfigure (by ninja or a script) without the
# variable still finds the same libraries.
if(DEFINED ENV{BRINDLE_WIN_PREFIXES})
  set(BRINDLE_WIN_PREFIXES "$ENV{BRINDLE_WIN_PREFIXES}" CACHE STRING "Install prefixes of the libraries built for Windows" FORCE)
endif()
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 ${BRINDLE_WIN_PREFIXES})
# Host programs (Qt's moc and uic among them) run here; everything linked comes from the roots.
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# ctest runs the Windows test programs under Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)
