# Imported targets for the third-party static libraries that scripts/setup.sh cross-builds
# into ${VELMOR_DEPS_PREFIX} (Windows build only):
#   velmor::zlib, velmor::png (links velmor::zlib), velmor::jpeg (libjpeg 8 API), velmor::tiff.
# Each names its .a file: a plain -lz or -lpng would pick an import library and add a DLL import.
# GoogleTest and Google Benchmark live in the same prefix with their own CMake configs
# (find_package(GTest CONFIG) and find_package(benchmark CONFIG) through CMAKE_FIND_ROOT_PATH).

if(TARGET velmor::zlib)
  return()
endif()

if(NOT VELMOR_DEPS_PREFIX OR NOT EXISTS "${VELMOR_DEPS_PREFIX}/.velmor-complete")
  message(FATAL_ERROR
    "The third-party libraries are missing from VELMOR_DEPS_PREFIX='${VELMOR_DEPS_PREFIX}'.\n"
    "Run scripts/setup.sh first (it builds them into \${VELMOR_CACHE:-/var/cache/velmor-sdk}/mingw64), "
    "or point VELMOR_DEPS_PREFIX at a prefix it built.")
endif()

function(velmor_import_static name archive)
  set(path "${VELMOR_DEPS_PREFIX}/lib/${archive}")
  if(NOT EXISTS "${path}")
    message(FATAL_ERROR "${path} is missing: run scripts/setup.sh again.")
  endif()
  add_library(velmor::${name} STATIC IMPORTED GLOBAL)
  set_target_properties(velmor::${name} PROPERTIES
    IMPORTED_LOCATION "${path}"
    INTERFACE_INCLUDE_DIRECTORIES "${VELMOR_DEPS_PREFIX}/include"
    INTERFACE_LINK_LIBRARIES "${ARGN}")
endfunction()

velmor_import_static(zlib libz.a)
velmor_import_static(png libpng16.a velmor::zlib)
velmor_import_static(jpeg libjpeg.a)
velmor_import_static(tiff libtiff.a)
