#!/bin/sh
# Puts in place everything the builds need; cheap when nothing is missing, so every build runs it.
#  1. Debian packages (installed only when one is missing), and the Japanese locale.
#  2. Debian source packages of the third-party libraries, fetched with a private apt
#     configuration that leaves the machine's own untouched.
#  3. Those libraries cross-built as static archives for the Windows build, in
#     ${VELMOR_CACHE:-/var/cache/velmor-sdk}/mingw64-<key>, with the link mingw64 -> the current one.
# VELMOR_SETUP_REFRESH=1 re-reads the Debian source indexes (else they are read once);
# VELMOR_SETUP_JOBS sets the build parallelism (default 2).
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cache=${VELMOR_CACHE:-/var/cache/velmor-sdk}
jobs=${VELMOR_SETUP_JOBS:-2}
case $cache in
  /*) ;;
  *) echo "setup: VELMOR_CACHE must be an absolute path (got '$cache')" >&2; exit 1 ;;
esac

packages="g++ make cmake ninja-build dpkg-dev
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-tools
  wine wine64 xvfb xauth x11-apps nasm imagemagick libtiff-tools ffmpeg python3-pil
  googletest libgtest-dev libgmock-dev libbenchmark-dev libopencv-dev
  locales fonts-ipafont-gothic clang doxygen"
sources="zlib libpng1.6 libjpeg-turbo tiff benchmark"
toolchain=$root/cmake/toolchain-mingw64.cmake
recipe=$root/scripts/setup/build-deps.sh
apt_dir=$cache/apt
versions=$apt_dir/versions

locked=0
# One set-up at a time changes the cache (and installs packages); a no-op run never waits.
take_lock() {
  [ $locked = 1 ] && return 0
  mkdir -p "$cache"
  exec 9>"$cache/.lock"
  flock 9
  locked=1
}

missing_packages() {
  # shellcheck disable=SC2086
  installed=$(dpkg-query -W -f='${db:Status-Abbrev} ${Package}\n' $packages 2>/dev/null |
    awk '$1 == "ii" { print $2 }') || true
  for p in $packages; do
    printf '%s\n' "$installed" | grep -qx "$p" || printf '%s ' "$p"
  done
}

install_packages() {
  missing=$(missing_packages)
  [ -z "$missing" ] && return 0
  take_lock
  missing=$(missing_packages)
  [ -z "$missing" ] && return 0
  echo "setup: installing $missing"
  if [ "$(id -u)" != 0 ]; then
    echo "setup: these Debian packages are missing and installing them needs root: $missing" >&2
    exit 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  # fd 9 (our lock) is closed for apt: a daemon started by a package must not inherit it.
  apt-get -q -o DPkg::Lock::Timeout=600 update 9>&-
  # shellcheck disable=SC2086
  apt-get -q -o DPkg::Lock::Timeout=600 install -y --no-install-recommends $missing 9>&-
}

# The private apt configuration: our own source list, indexes and cache; nothing under /etc changes.
write_apt_config() {
  mkdir -p "$apt_dir/sources.list.d" "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial"
  keyring=/usr/share/keyrings/debian-archive-keyring.gpg
  # bookworm-security is left out: its index is served here but its files are not.
  cat >"$apt_dir/sources.list" <<EOF
deb-src [signed-by=$keyring] http://deb.debian.org/debian bookworm main
deb-src [signed-by=$keyring] http://deb.debian.org/debian bookworm-updates main
EOF
  cat >"$apt_dir/apt.conf" <<EOF
Dir::Etc::SourceList "$apt_dir/sources.list";
Dir::Etc::SourceParts "$apt_dir/sources.list.d";
Dir::State::Lists "$apt_dir/lists";
Dir::Cache "$apt_dir/cache";
// Source files land in our own work folder, which apt's download user cannot write to.
APT::Sandbox::User "root";
EOF
}

private_apt() {
  APT_CONFIG=$apt_dir/apt.conf "$@"
}

# Reads the source indexes again and records the newest version of each source package.
refresh_sources() {
  take_lock
  write_apt_config
  echo "setup: reading Debian's source indexes"
  private_apt apt-get -q update >"$apt_dir/update.log" 2>&1 ||
    { cat "$apt_dir/update.log" >&2; echo "setup: apt-get update of the source indexes failed" >&2; exit 1; }
  # shellcheck disable=SC2086
  private_apt apt-cache showsrc --only-source $sources |
    awk '/^Package: /{ p = $2 } /^Version: /{ print p, $2 }' >"$apt_dir/all-versions"
  : >"$versions.new"
  for s in $sources; do
    best=
    while read -r p v; do
      [ "$p" = "$s" ] || continue
      if [ -z "$best" ] || dpkg --compare-versions "$v" gt "$best"; then best=$v; fi
    done <"$apt_dir/all-versions"
    [ -n "$best" ] || { echo "setup: source package $s not found in Debian's indexes" >&2; exit 1; }
    echo "$s $best" >>"$versions.new"
  done
  mv -f "$versions.new" "$versions"
}

# The key changes with any source version, the GoogleTest and compiler packages, or the recipe.
compute_key() {
  {
    cat "$versions"
    dpkg-query -W -f='${Package} ${Version}\n' googletest gcc-mingw-w64-x86-64-posix \
      g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev nasm
    sha256sum <"$recipe"
    sha256sum <"$toolchain"
  } | sha256sum | cut -c1-16
}

# Points ${cache}/mingw64 at the current prefix, atomically.
link_current() {
  [ "$(readlink "$cache/mingw64" 2>/dev/null || true)" = "mingw64-$key" ] && return 0
  ln -sfn "mingw64-$key" "$cache/mingw64.link.$$"
  mv -Tf "$cache/mingw64.link.$$" "$cache/mingw64"
}

prefix_complete() {
  [ -f "$cache/mingw64-$key/.velmor-complete" ]
}

fetch_sources() {
  mkdir -p "$work/src"
  set --
  while read -r s v; do set -- "$@" "$s=$v"; done <"$versions"
  (cd "$work/src" && private_apt apt-get -q source --only-source "$@") >"$work/fetch.log" 2>&1
}

build() {
  # Leftovers of interrupted runs: they never got the completion mark.
  rm -rf "$cache"/work.* "$cache"/mingw64-*.partial
  work=$(mktemp -d "$cache/work.XXXXXX")
  if ! fetch_sources; then
    # The indexes may be older than the archive: read them again once.
    refresh_sources
    key=$(compute_key)
    if prefix_complete; then link_current; rm -rf "$work"; return 0; fi
    fetch_sources || { cat "$work/fetch.log" >&2; echo "setup: apt-get source failed" >&2; exit 1; }
  fi
  staging=$cache/mingw64-$key.partial
  echo "setup: building the third-party libraries into $cache/mingw64-$key"
  "$recipe" "$work/src" "$staging" "$toolchain" "$jobs"
  # libpng's own CMake export names the staging path; velmor::png replaces it.
  rm -rf "$staging/lib/libpng"
  {
    echo "# Inputs of this build (the key is a hash of them)"
    cat "$versions"
    dpkg-query -W -f='${Package} ${Version}\n' googletest gcc-mingw-w64-x86-64-posix nasm
  } >"$staging/velmor-deps.txt"
  touch "$staging/.velmor-complete"
  rm -rf "$cache/mingw64-$key"
  mv -T "$staging" "$cache/mingw64-$key"
  link_current
  rm -rf "$work"
}

# The Japanese system locale that the dialog tests run Wine under.
japanese_locale() {
  locale -a 2>/dev/null | grep -qix 'ja_JP.utf8' && return 0
  take_lock
  locale -a 2>/dev/null | grep -qix 'ja_JP.utf8' && return 0
  echo "setup: generating the ja_JP.UTF-8 locale"
  localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
}

install_packages
japanese_locale
if [ "${VELMOR_SETUP_REFRESH:-0}" = 1 ]; then
  refresh_sources
elif [ ! -f "$versions" ]; then
  take_lock
  [ -f "$versions" ] || refresh_sources
fi
key=$(compute_key)
if ! prefix_complete; then
  take_lock
  prefix_complete || build
fi
link_current
