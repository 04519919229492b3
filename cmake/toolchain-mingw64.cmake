# Cross build for 64-bit Windows with mingw-w64 (posix thread model).
set(CMAKE_SYSTEM_NAME Windows)
# AMD64 (not x86_64) so that libjpeg-turbo selects its SIMD code when it is built with this file.
set(CMAKE_SYSTEM_PROCESSOR AMD64)

set(VELMOR_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VELMOR_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VELMOR_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${VELMOR_MINGW_TRIPLE}-windres)
set(CMAKE_ASM_NASM_COMPILER nasm)

# Third-party static libraries cross-built by scripts/setup.sh.
if(NOT DEFINED VELMOR_DEPS_PREFIX)
  if(DEFINED ENV{VELMOR_DEPS_PREFIX})
    set(VELMOR_DEPS_PREFIX "$ENV{VELMOR_DEPS_PREFIX}")
  elseif(DEFINED ENV{VELMOR_CACHE})
    set(VELMOR_DEPS_PREFIX "$ENV{VELMOR_CACHE}/mingw64")
  else()
    set(VELMOR_DEPS_PREFIX /var/cache/velmor-sdk/mingw64)
  endif()
endif()
set(VELMOR_DEPS_PREFIX "${VELMOR_DEPS_PREFIX}" CACHE PATH "Prefix of the cross-built third-party libraries")

set(CMAKE_FIND_ROOT_PATH /usr/${VELMOR_MINGW_TRIPLE} ${VELMOR_DEPS_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
