# Cross build for 64-bit Windows with Debian's MinGW-w64 (posix threads).
# VANTOR_WIN_PREFIX: the folder holding the Windows builds of the dependencies;
# VANTOR_WIN_QT: Qt for Windows (scripts/build-qt-windows.sh), when the desktop program is built.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_AR x86_64-w64-mingw32-ar CACHE FILEPATH "")
set(CMAKE_RANLIB x86_64-w64-mingw32-ranlib CACHE FILEPATH "")

list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES VANTOR_WIN_PREFIX VANTOR_WIN_QT)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 ${VANTOR_WIN_PREFIX} ${VANTOR_WIN_QT})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config sees the dependency prefix only.
set(ENV{PKG_CONFIG_LIBDIR} "${VANTOR_WIN_PREFIX}/lib/pkgconfig:${VANTOR_WIN_PREFIX}/share/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")
set(ENV{PKG_CONFIG_SYSROOT_DIR} "")
