#!/bin/sh
# Cross-builds the third-party static libraries for the Windows build into one prefix.
#   build-deps.sh SOURCES PREFIX TOOLCHAIN JOBS
# SOURCES holds the unpacked Debian source packages (zlib, libpng1.6, libjpeg-turbo, tiff,
# benchmark); GoogleTest comes from /usr/src/googletest. Every step logs to SOURCES/log/.
# This file is part of the cache key: any change here rebuilds the libraries.
set -eu
src=$1 prefix=$2 toolchain=$3 jobs=$4
triple=x86_64-w64-mingw32
build=$src/build
log=$src/log
mkdir -p "$build" "$log" "$prefix"

# Runs one step quietly; on failure shows the end of its log.
step() {
  name=$1; shift
  printf 'setup:   %s\n' "$name"
  if ! "$@" >"$log/$name.log" 2>&1; then
    tail -n 40 "$log/$name.log" >&2
    echo "setup: building $name failed; full log in $log/$name.log" >&2
    exit 1
  fi
}

# The one unpacked folder of a source package (apt-get source names it NAME-UPSTREAMVERSION).
source_dir() {
  name=$1
  set -- "$src/$name"-[0-9]*/
  if [ $# -ne 1 ] || [ ! -d "$1" ]; then
    echo "setup: no single unpacked source of $name" >&2
    exit 1
  fi
  echo "${1%/}"
}

# Configure, build and install one CMake project; VELMOR_DEPS_PREFIX points the toolchain's
# find root at this prefix only, so nothing is picked up from an older build.
cmake_project() {
  dir=$1 srcdir=$2; shift 2
  cmake -G Ninja -S "$srcdir" -B "$build/$dir" \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DVELMOR_DEPS_PREFIX="$prefix" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DBUILD_SHARED_LIBS=OFF "$@" &&
  cmake --build "$build/$dir" -j "$jobs" &&
  cmake --install "$build/$dir"
}

# zlib's CMake build needs the win32/ folder that Debian's tarball leaves out.
build_zlib() (
  cd "$(source_dir zlib)" &&
  CHOST=$triple CC=$triple-gcc-posix AR=$triple-ar RANLIB=$triple-ranlib CFLAGS=-O2 \
    ./configure --static --prefix="$prefix" &&
  make -j "$jobs" libz.a &&
  make install
)

build_png() {
  cmake_project png "$(source_dir libpng1.6)" \
    -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF \
    -DZLIB_LIBRARY="$prefix/lib/libz.a" -DZLIB_INCLUDE_DIR="$prefix/include"
}

# The libjpeg 8 API (JPEG_LIB_VERSION 80); SIMD is required, not merely attempted.
build_jpeg() {
  cmake_project jpeg "$(source_dir libjpeg-turbo)" \
    -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_JPEG8=ON \
    -DWITH_SIMD=ON -DREQUIRE_SIMD=ON -DWITH_TURBOJPEG=OFF
}

# Every external codec off, or libtiff links whatever it finds in the prefix.
build_tiff() {
  cmake_project tiff "$(source_dir tiff)" \
    -Dtiff-tools=OFF -Dtiff-tests=OFF -Dtiff-contrib=OFF -Dtiff-docs=OFF -Dcxx=OFF \
    -Dsphinx=OFF -Dtiff-opengl=OFF \
    -Dzlib=OFF -Djpeg=OFF -Dlzma=OFF -Dzstd=OFF -Dwebp=OFF -Dlerc=OFF -Djbig=OFF \
    -Dlibdeflate=OFF -Dpixarlog=OFF -Dold-jpeg=OFF -Djpeg12=OFF
}

# On Windows GoogleTest synchronises with Win32 primitives, not pthreads.
build_gtest() {
  cmake_project gtest /usr/src/googletest \
    -DBUILD_GMOCK=ON -DINSTALL_GTEST=ON -Dgtest_disable_pthreads=ON
}

# Debian's patch stops it reading git tags, so its version comes from the folder name.
build_benchmark() {
  dir=$(source_dir benchmark)
  cmake_project benchmark "$dir" -DGIT_VERSION="${dir##*/benchmark-}" \
    -DBENCHMARK_ENABLE_TESTING=OFF -DBENCHMARK_ENABLE_GTEST_TESTS=OFF \
    -DBENCHMARK_ENABLE_WERROR=OFF -DBENCHMARK_INSTALL_DOCS=OFF -DBENCHMARK_ENABLE_INSTALL=ON
}

step zlib build_zlib
step libpng build_png
step libjpeg-turbo build_jpeg
step libtiff build_tiff
step googletest build_gtest
step benchmark build_benchmark

# Only static archives: an import library here would turn a static link into a DLL import.
if ls "$prefix"/lib/*.dll.a "$prefix"/bin/*.dll >/dev/null 2>&1; then
  echo "setup: a DLL or import library was built in $prefix" >&2
  exit 1
fi
