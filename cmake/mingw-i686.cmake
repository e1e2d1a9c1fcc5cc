# Windows, 32-bit (package g++-mingw-w64-i686-win32).
set(MINGW_ARCH i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
