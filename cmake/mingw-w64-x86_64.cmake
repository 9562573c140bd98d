# Cross-compiling for 64-bit Windows with Debian's mingw-w64 (the posix
# thread model, which Qt's and the C++ library's threads need):
#   cmake -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake ...
# The same file builds Qt itself (tools/build-qt-mingw.sh). The tools are
# named outright: their "-posix" suffix defeats CMake's own lookup.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(scp_triple x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${scp_triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${scp_triple}-g++-posix)
set(CMAKE_RC_COMPILER ${scp_triple}-windres)
set(CMAKE_AR /usr/bin/${scp_triple}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB /usr/bin/${scp_triple}-ranlib CACHE FILEPATH "")
set(CMAKE_STRIP /usr/bin/${scp_triple}-strip CACHE FILEPATH "")
set(CMAKE_OBJDUMP /usr/bin/${scp_triple}-objdump CACHE FILEPATH "")

# Libraries and headers come from the mingw tree and the prefixes given
# (Qt's); programs (moc, rcc, uic) from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${scp_triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# The prefixes given (Qt's) are roots too. A path already under a root is
# searched as it is.
list(APPEND CMAKE_FIND_ROOT_PATH ${CMAKE_PREFIX_PATH})
