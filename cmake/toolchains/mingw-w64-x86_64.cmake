# Windows console executables for x86_64, cross-built with MinGW-w64.
set(MINGW_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
