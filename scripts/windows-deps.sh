#!/usr/bin/env bash
# Builds the Windows libraries of the cross-build from Debian's own source packages, once:
# PCRE2, ICU and Qt base, each installed into a folder of its own in a cache
# outside the checkout, keyed by the source version, the toolchain file and the recipe; with them
# GoogleTest for the cross-built tests, nlohmann-json's headers, and the conversion dictionaries
# as text (the Windows build has no OpenCC: src/core/text/ChineseConversion.h).
#   scripts/windows-deps.sh [NAME...]   only those of pcre2 icu qt json gtest dictionaries
#   scripts/windows-deps.sh --cached [NAME...]   builds nothing: fails unless all are in the cache
#   SHOPKEEPER_WINDOWS_CACHE   the cache folder (default: $XDG_CACHE_HOME/shopkeeper-windows)
# Prints the folders to put into CMAKE_PREFIX_PATH, one per line, on the last line separated by ';'.
set -euo pipefail
shopt -s inherit_errexit
here=$(cd "$(dirname "$0")/.." && pwd)
toolchain=$here/cmake/mingw-w64-x86_64.cmake
cache=${SHOPKEEPER_WINDOWS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/shopkeeper-windows}
jobs=${SHOPKEEPER_JOBS:-$(nproc)}
mkdir -p "$cache/src" "$cache/build"
log() { echo "windows-deps: $*" >&2; }

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)

# Source packages come from the machine's own Debian sources: the same entries, as deb-src.
ensure_deb_src() {
  if apt-cache showsrc qt6-base 2>/dev/null | grep -q '^Version:'; then
    return
  fi
  . /etc/os-release
  local out=/etc/apt/sources.list.d/shopkeeper-deb-src.sources tmp
  tmp=$(mktemp)
  # deb822 files: every stanza of this release with "Types: deb" again as "Types: deb-src".
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] && [ "$f" != "$out" ] || continue
    awk -v codename="$VERSION_CODENAME" 'BEGIN { RS = ""; ORS = "\n\n" }
      /(^|\n)Types:[ \t]*deb([ \t]|\n|$)/ && $0 ~ ("Suites:[^\n]*" codename) {
        sub(/Types:[^\n]*/, "Types: deb-src"); print }' "$f" >>"$tmp"
  done
  # One-line sources.list entries: "deb URI SUITE ..." as "deb-src URI SUITE ...".
  if [ -f /etc/apt/sources.list ]; then
    grep -E "^deb [^#]* $VERSION_CODENAME" /etc/apt/sources.list | sed 's/^deb /deb-src /' >"$tmp.list" || true
    [ -s "$tmp.list" ] && "${sudo_cmd[@]}" install -m 644 "$tmp.list" /etc/apt/sources.list.d/shopkeeper-deb-src.list
  fi
  [ -s "$tmp" ] && "${sudo_cmd[@]}" install -m 644 "$tmp" "$out"
  rm -f "$tmp" "$tmp.list"
  "${sudo_cmd[@]}" apt-get update -qq
}

source_version() { apt-cache showsrc "$1" | awk '/^Version:/ { print $2; exit }'; }

# Unpacks a source package into $cache/src once; prints its folder.
fetch() {
  local package=$1 version=$2 dir=$cache/src/$1-$2
  if [ ! -f "$dir/.unpacked" ]; then
    rm -rf "$dir" "$dir.tmp"
    mkdir -p "$dir.tmp"
    (cd "$dir.tmp" && apt-get source -qq "$package=$version" >&2) || { log "cannot fetch the source of $package"; exit 1; }
    local unpacked
    unpacked=$(find "$dir.tmp" -mindepth 1 -maxdepth 1 -type d | head -n 1)
    mv "$unpacked" "$dir"
    rm -rf "$dir.tmp"
    touch "$dir/.unpacked"
  fi
  echo "$dir"
}

# The install folder of a library: its name, version and a hash of the toolchain and its recipe.
prefix_of() {
  local name=$1 version=$2 recipe=$3 key
  key=$( (cat "$toolchain"; echo "$recipe") | sha256sum | cut -c1-12)
  echo "$cache/$name-$version-$key"
}

cached_only=0
done_or_clear() { # prefix: 0 when built before
  [ -f "$1/.complete" ] && return 0
  if [ $cached_only = 1 ]; then
    log "not in the cache: $(basename "$1")"
    exit 3
  fi
  rm -rf "$1"
  return 1
}

cross=(-G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release)

build_pcre2() {
  local version src recipe prefix
  version=$(source_version pcre2)
  recipe="pcre2 static 8-bit v1"
  prefix=$(prefix_of pcre2 "$version" "$recipe")
  if ! done_or_clear "$prefix"; then
    log "PCRE2 $version"
    src=$(fetch pcre2 "$version")
    rm -rf "$cache/build/pcre2"
    cmake -S "$src" -B "$cache/build/pcre2" "${cross[@]}" -DCMAKE_INSTALL_PREFIX="$prefix" \
      -DBUILD_SHARED_LIBS=OFF -DPCRE2_BUILD_PCRE2_8=ON -DPCRE2_BUILD_PCRE2_16=OFF -DPCRE2_BUILD_PCRE2_32=OFF \
      -DPCRE2_SUPPORT_JIT=ON -DPCRE2_BUILD_PCRE2GREP=OFF -DPCRE2_BUILD_TESTS=OFF >&2
    cmake --build "$cache/build/pcre2" -j "$jobs" >&2
    cmake --install "$cache/build/pcre2" >&2
    rm -rf "$cache/build/pcre2"
    touch "$prefix/.complete"
  fi
  echo "$prefix"
}

# ICU: a cross-build needs a host build of the same source for its data tools.
build_icu() {
  local version src recipe prefix host
  version=$(source_version icu)
  recipe="icu shared, data as a library v1"
  prefix=$(prefix_of icu "$version" "$recipe")
  if ! done_or_clear "$prefix"; then
    log "ICU $version"
    src=$(fetch icu "$version")
    host=$cache/build/icu-host
    rm -rf "$host" "$cache/build/icu"
    mkdir -p "$host" "$cache/build/icu"
    (cd "$host" && "$src/source/configure" --disable-tests --disable-samples --disable-extras >&2 && make -j "$jobs" >&2)
    (cd "$cache/build/icu" &&
      "$src/source/configure" --host=x86_64-w64-mingw32 --with-cross-build="$host" --prefix="$prefix" \
        --disable-tests --disable-samples --disable-extras --disable-tools --enable-shared --disable-static \
        CC=x86_64-w64-mingw32-gcc-posix CXX=x86_64-w64-mingw32-g++-posix >&2 &&
      make -j "$jobs" >&2 && make install >&2)
    rm -rf "$host" "$cache/build/icu"
    touch "$prefix/.complete"
  fi
  echo "$prefix"
}

build_qt() {
  local version src recipe prefix options
  version=$(source_version qt6-base)
  options=(-DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DBUILD_SHARED_LIBS=ON
    -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF -DFEATURE_printsupport=OFF
    -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF -DFEATURE_tabletevent=OFF -DFEATURE_vulkan=OFF
    -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_freetype=OFF
    -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF
    -DFEATURE_system_doubleconversion=OFF)
  recipe="qtbase ${options[*]}"
  prefix=$(prefix_of qtbase "$version" "$recipe")
  if ! done_or_clear "$prefix"; then
    log "Qt base $version (the longest step: well over an hour on two cores)"
    src=$(fetch qt6-base "$version")
    # A build cut off (a stopped session, a killed run) goes on where it was when it was made for
    # the same prefix: Qt's hour and more is not started again from nothing.
    if [ "$(cat "$cache/build/qtbase/.prefix" 2>/dev/null)" != "$prefix" ]; then
      rm -rf "$cache/build/qtbase"
      mkdir -p "$cache/build/qtbase"
      echo "$prefix" >"$cache/build/qtbase/.prefix"
    else
      log "going on with the Qt build that was cut off"
    fi
    cmake -S "$src" -B "$cache/build/qtbase" "${cross[@]}" -DCMAKE_INSTALL_PREFIX="$prefix" "${options[@]}" >&2
    cmake --build "$cache/build/qtbase" -j "$jobs" >&2
    cmake --install "$cache/build/qtbase" >&2
    rm -rf "$cache/build/qtbase"
    touch "$prefix/.complete"
  fi
  echo "$prefix"
}

package_version() { dpkg-query -W -f='${Version}' "$1"; }

# nlohmann-json is headers only: the host package's headers and CMake files, which find their
# folder from where they are.
build_json() {
  local version prefix
  version=$(package_version nlohmann-json3-dev)
  prefix=$(prefix_of nlohmann-json "$version" "headers and CMake files v1")
  if ! done_or_clear "$prefix"; then
    log "nlohmann-json $version"
    mkdir -p "$prefix/include" "$prefix/share/cmake"
    cp -r /usr/include/nlohmann "$prefix/include/"
    cp -r /usr/share/cmake/nlohmann_json "$prefix/share/cmake/"
    touch "$prefix/.complete"
  fi
  echo "$prefix"
}

# GoogleTest from Debian's googletest package, which is its source.
build_gtest() {
  local version prefix recipe="gtest static, no gmock v1"
  version=$(package_version googletest)
  prefix=$(prefix_of googletest "$version" "$recipe")
  if ! done_or_clear "$prefix"; then
    log "GoogleTest $version"
    rm -rf "$cache/build/googletest"
    cmake -S /usr/src/googletest -B "$cache/build/googletest" "${cross[@]}" -DCMAKE_INSTALL_PREFIX="$prefix" \
      -DBUILD_GMOCK=OFF -DBUILD_SHARED_LIBS=OFF -Dgtest_disable_pthreads=OFF >&2
    cmake --build "$cache/build/googletest" -j "$jobs" >&2
    cmake --install "$cache/build/googletest" >&2
    rm -rf "$cache/build/googletest"
    touch "$prefix/.complete"
  fi
  echo "$prefix"
}

# The dictionaries of OpenCC's t2s and s2t as text, written by a host program over the host's
# libopencc-data: their files are the same on every architecture.
build_dictionaries() {
  local version prefix dumper=$here/tools/dictionaries/DumpDictionary.cpp
  version=$(package_version libopencc-data)
  prefix=$(prefix_of conversion-dictionaries "$version" "$(sha256sum <"$dumper")")
  if ! done_or_clear "$prefix"; then
    log "conversion dictionaries from libopencc-data $version"
    local out=$prefix/share/shopkeeper/dictionaries tool=$cache/build/dump-dictionary
    mkdir -p "$out" "$cache/build"
    g++ -std=c++17 -O1 -o "$tool" "$dumper" -lopencc >&2
    for name in STPhrases STCharacters TSPhrases TSCharacters; do
      "$tool" "/usr/share/opencc/$name.ocd2" "$out/$name.txt"
    done
    rm -f "$tool"
    touch "$prefix/.complete"
  fi
  echo "$prefix"
}

if [ "${1:-}" = --cached ]; then
  cached_only=1
  shift
fi
steps=("$@")
[ ${#steps[@]} -gt 0 ] || steps=(pcre2 icu qt json gtest dictionaries)
[ $cached_only = 1 ] || ensure_deb_src
prefixes=()
for step in "${steps[@]}"; do
  case $step in
    pcre2 | icu | qt | json | gtest | dictionaries) prefixes+=("$("build_$step")") ;;
    *) log "unknown library: $step"; exit 2 ;;
  esac
done
printf '%s\n' "${prefixes[@]}"
(IFS=';'; echo "${prefixes[*]}")
