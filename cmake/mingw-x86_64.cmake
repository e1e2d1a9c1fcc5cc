# Windows, 64-bit (package g++-mingw-w64-x86-64-win32).
set(MINGW_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
