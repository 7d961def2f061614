#!/usr/bin/env bash
# Builds the browser version into build-web/ with Debian's Emscripten.
# Usage: scripts/build-web.sh [--prepare] [host build folder, default build]
#   --prepare only installs the packages and fetches the sources, so that
#   the build itself can run beside other work without touching apt.
# Serve the result with scripts/serve-web.sh, or copy index.html,
# marrowlake.js, marrowlake.wasm and data/ to any static web host.
#
# The generated assets (pictures, logo, tracks) come from a finished host
# build: the generators are host programs and never run under emcc.
# zlib, libpng and libmpg123 are compiled to WebAssembly from Debian's source
# packages once, into build-web/deps (delete that folder to rebuild them).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
prepare_only=0
if [ "${1:-}" = --prepare ]; then
  prepare_only=1
  shift
fi
host=$(cd "${1:-$root/build}" 2>/dev/null && pwd) || {
  echo "build-web: host build folder ${1:-$root/build} not found; build the desktop program first" >&2
  exit 1
}
out=$root/build-web
deps=$out/deps
prefix=$deps/prefix
jobs=${ML_WEB_JOBS:-2}

# Debian's emcc runs Node scripts that need Debian's Node modules.
export NODE_PATH=/usr/share/nodejs

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
apt_install() {
  DEBIAN_FRONTEND=noninteractive $sudo apt-get -o DPkg::Lock::Timeout=900 install -y -qq \
    --no-install-recommends "$@"
}

# Toolchain, the browser the tests drive, and the tools that unpack sources.
pkgs=(emscripten chromium python3-websocket dpkg-dev xz-utils)
missing=()
for p in "${pkgs[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

# A library counts as built once its whole step has ended: a build stopped
# half way (test.sh may stop one) is done again.
built() { [ -f "$prefix/built-$1" ]; }

# apt-get source needs a deb-src line for the suite the system runs.
need_src=0
for lib in zlib libpng mpg123; do
  built "$lib" || need_src=1
done
src_list=/etc/apt/sources.list.d/marrowlake-src.sources
if [ $need_src -eq 1 ] && ! apt-get indextargets --format '$(CREATED_BY)' 2>/dev/null | grep -q '^Sources$'; then
  suite=$(. /etc/os-release && echo "$VERSION_CODENAME")
  echo "build-web: adding deb-src for $suite main"
  printf 'Types: deb-src\nURIs: http://deb.debian.org/debian\nSuites: %s\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
    "$suite" | $sudo tee "$src_list" >/dev/null
  missing+=(__update__)
fi
if [ ${#missing[@]} -gt 0 ]; then
  $sudo apt-get -o DPkg::Lock::Timeout=900 update -qq
  real=()
  for p in "${missing[@]}"; do [ "$p" = __update__ ] || real+=("$p"); done
  if [ ${#real[@]} -gt 0 ]; then
    echo "build-web: installing ${real[*]}"
    apt_install "${real[@]}"
  fi
fi

# One library from its Debian source package: fetched and unpacked (Debian's
# patches applied) into deps/src, then built by the given function.
fetch_source() { # <source package> -> prints the unpacked folder
  local pkg=$1 dir
  mkdir -p "$deps/src"
  dir=$(find "$deps/src" -maxdepth 1 -type d -name "$pkg-*" | head -n1)
  if [ -z "$dir" ]; then
    (cd "$deps/src" && apt-get source --download-only -qq "$pkg" >&2 || true)
    local dsc
    dsc=$(ls "$deps/src"/"$pkg"_*.dsc | head -n1)
    (cd "$deps/src" && dpkg-source --no-check -x "$(basename "$dsc")" >&2)
    dir=$(find "$deps/src" -maxdepth 1 -type d -name "$pkg-*" | head -n1)
  fi
  echo "$dir"
}

# Third-party build output goes to deps/<name>.log, shown when a step fails.
logged() { # <log name> <command...>
  local log=$deps/$1.log
  shift
  if ! "$@" >"$log" 2>&1; then
    tail -n 40 "$log" >&2
    echo "build-web: failed; full log in $log" >&2
    exit 1
  fi
}

mkdir -p "$prefix/lib" "$prefix/include"
if [ $prepare_only -eq 1 ]; then
  built zlib || fetch_source zlib >/dev/null
  built libpng || fetch_source libpng1.6 >/dev/null
  built mpg123 || fetch_source mpg123 >/dev/null
  exit 0
fi
if ! built zlib; then
  t0=$SECONDS
  dir=$(fetch_source zlib)
  logged zlib sh -c 'cd "$1" && emconfigure ./configure --static --prefix="$2" &&
    emmake make -j"$3" libz.a && cp libz.a "$2/lib/" && cp zlib.h zconf.h "$2/include/"' \
    sh "$dir" "$prefix" "$jobs"
  touch "$prefix/built-zlib"
  echo "build-web: zlib built in $((SECONDS - t0)) s"
fi
if ! built libpng; then
  t0=$SECONDS
  dir=$(fetch_source libpng1.6)
  logged libpng sh -c 'cd "$1" && emconfigure ./configure --host=wasm32-unknown-emscripten \
      --disable-shared --enable-static --prefix="$2" CPPFLAGS="-I$2/include" LDFLAGS="-L$2/lib" &&
    emmake make -j"$3" libpng16.la &&
    cp .libs/libpng16.a "$2/lib/" && cp png.h pngconf.h pnglibconf.h "$2/include/"' \
    sh "$dir" "$prefix" "$jobs"
  touch "$prefix/built-libpng"
  echo "build-web: libpng built in $((SECONDS - t0)) s"
fi
if ! built mpg123; then
  t0=$SECONDS
  dir=$(fetch_source mpg123)
  # config.sub does not know the emscripten triple; a generic 32-bit target
  # without assembler decoders is what emcc compiles.
  logged mpg123 sh -c 'cd "$1" && emconfigure ./configure --host=i686-pc-linux-gnu \
      --with-cpu=generic_fpu --disable-components --enable-libmpg123 --disable-modules \
      --disable-network --disable-shared --enable-static --prefix="$2" &&
    emmake make -j"$3" && emmake make install' sh "$dir" "$prefix" "$jobs"
  touch "$prefix/built-mpg123"
  echo "build-web: libmpg123 built in $((SECONDS - t0)) s"
fi

for f in assets bin/data; do
  if [ ! -e "$host/$f" ]; then
    echo "build-web: $host has no $f; build the desktop program there first" >&2
    exit 1
  fi
done

t0=$SECONDS
cmake -S "$root" -B "$out/cmake" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/emscripten.cmake" \
  -DML_WEB_DEPS="$prefix" -DML_HOST_ASSETS="$host" \
  -DML_BUILD_TESTS=OFF -DML_BUILD_BENCH=OFF >/dev/null
cmake --build "$out/cmake" -j"$jobs" --target marrowlake
echo "build-web: program built in $((SECONDS - t0)) s"

# The page: our HTML, the module, and the tracks in data/ beside it.
cp "$root/assets/web/index.html" "$out/cmake/bin/marrowlake.js" "$out/cmake/bin/marrowlake.wasm" "$out/"
mkdir -p "$out/data"
cp "$host"/bin/data/Track?.mp3 "$out/data/"
echo "build-web: page in $out (index.html, marrowlake.js, marrowlake.wasm, data/)"
