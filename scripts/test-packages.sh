#!/usr/bin/env bash
# Builds the Linux packages (.deb and .tar.gz) from a finished build and
# checks them as a user's system would see them: the .deb's file list and
# dependencies, lintian, desktop-file-validate and appstreamcli on what it
# installs, the icons; then the program is started through the launcher of
# the .deb unpacked into a temporary root and of the unpacked .tar.gz, each on
# a private X server with the disk audio driver: its window must appear and
# side A must be heard from its beginning, and a close request must end it
# with exit code 0.
#
#   scripts/test-packages.sh <build dir>
#
# The build dir needs the tests built (ml_e2e_audio, ml_send_close). Ends with
# "packages: N passed, M failed"; exits non-zero on any failure.
set -uo pipefail
export LC_ALL=C # file lists sort the same everywhere
cd "$(dirname "$0")/.."
if [ $# -ne 1 ]; then
  echo "usage: scripts/test-packages.sh <build dir>" >&2
  exit 2
fi
build=$(realpath "$1")
app_id=invalid.ondu.Marrowlake

packages="lintian desktop-file-utils appstream man-db imagemagick xvfb xfonts-base xdotool x11-utils python3"
missing=""
for p in $packages; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
  sudo=""
  [ "$(id -u)" = 0 ] || sudo=sudo
  echo "Installing:$missing"
  $sudo apt-get update -qq &&
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends $missing \
      >/dev/null || { echo "test-packages: cannot install$missing"; exit 1; }
fi

source tests/support/e2e_harness.sh # $work, fail, note, Xvfb and window helpers
passed=0
report() { echo "packages: $passed passed, $((failed_any)) failed"; }
failed_any=0
fail() { # the harness' fail, counted
  echo "FAIL: $*"
  tail -n 20 "$work/program.err" 2>/dev/null
  failed_any=1
  report
  exit 1
}
ok() { echo "ok: $*"; passed=$((passed + 1)); }

echo "== building the packages"
cmake --build "$build" --target marrowlake ml_icons ml_package_files ml_e2e_audio ml_send_close \
  -j2 >"$work/build.log" 2>&1 || fail "build: $(tail -5 "$work/build.log")"
(cd "$build" && cpack -G "TGZ;DEB" -B "$work/out" >"$work/cpack.log" 2>&1) ||
  fail "cpack: $(tail -5 "$work/cpack.log")"
deb=$(ls "$work"/out/marrowlake_*.deb 2>/dev/null)
tgz=$(ls "$work"/out/marrowlake-*.tar.gz 2>/dev/null)
[ -f "$deb" ] && [ -f "$tgz" ] || fail "no .deb or .tar.gz in $(ls "$work/out")"
ok "built $(basename "$deb") and $(basename "$tgz")"

echo "== .deb contents"
# Every file, its mode and owner; directories are implied.
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $1, $2, $6}' | sort -k3 >"$work/deb.list"
cat "$work/deb.list"
expected="-rwxr-xr-x ./usr/bin/marrowlake
-rwxr-xr-x ./usr/lib/marrowlake/marrowlake
-rw-r--r-- ./usr/share/applications/$app_id.desktop
-rw-r--r-- ./usr/share/doc/marrowlake/changelog.gz
-rw-r--r-- ./usr/share/doc/marrowlake/copyright
-rw-r--r-- ./usr/share/icons/hicolor/128x128/apps/$app_id.png
-rw-r--r-- ./usr/share/icons/hicolor/256x256/apps/$app_id.png
-rw-r--r-- ./usr/share/icons/hicolor/48x48/apps/$app_id.png
-rw-r--r-- ./usr/share/man/man6/marrowlake.6.gz
-rw-r--r-- ./usr/share/marrowlake/data/TrackA.mp3
-rw-r--r-- ./usr/share/marrowlake/data/TrackB.mp3
-rw-r--r-- ./usr/share/marrowlake/data/TrackC.mp3
-rw-r--r-- ./usr/share/marrowlake/data/TrackD.mp3
-rw-r--r-- ./usr/share/metainfo/$app_id.metainfo.xml"
diff <(echo "$expected") <(awk '{print $1, $3}' "$work/deb.list") >"$work/deb.diff" ||
  fail "unexpected .deb file list (- expected, + found):
$(grep '^[<>]' "$work/deb.diff")"
awk '$2 != "root/root" {bad = 1} END {exit bad}' "$work/deb.list" || fail "files not owned by root"
ok "file list: 14 files owned by root, executables 755, the rest 644"

# Dependencies as dpkg-shlibdeps computes them from the program's libraries.
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for lib in 'libc6 (>=' 'libsdl2-2.0-0 (>=' 'libmpg123-0 (>=' 'libpng16-16 (>=' 'libgl1'; do
  [[ "$depends" == *"$lib"* ]] || fail "Depends lacks $lib"
done
ok "dependencies from the shared libraries, with versions"

lintian --fail-on error --display-info "$deb" >"$work/lintian.log" 2>&1
lintian_code=$?
cat "$work/lintian.log"
[ "$lintian_code" = 0 ] || fail "lintian reports errors"
ok "lintian: no errors ($(grep -c '^W:' "$work/lintian.log") warnings, $(grep -c '^I:' "$work/lintian.log") infos)"

echo "== what the .deb installs"
deb_root="$work/deb-root"
dpkg -x "$deb" "$deb_root" || fail "dpkg -x"
desktop="$deb_root/usr/share/applications/$app_id.desktop"
desktop-file-validate "$desktop" >"$work/desktop.log" 2>&1 || fail "desktop-file-validate: $(cat "$work/desktop.log")"
[ ! -s "$work/desktop.log" ] || fail "desktop-file-validate: $(cat "$work/desktop.log")"
grep -qx "Icon=$app_id" "$desktop" && grep -qx "Exec=marrowlake" "$desktop" || fail "desktop entry Icon or Exec"
ok "desktop-file-validate: clean"
appstreamcli validate --no-net "$deb_root/usr/share/metainfo/$app_id.metainfo.xml" >"$work/as.log" 2>&1 ||
  fail "appstreamcli validate: $(cat "$work/as.log")"
cat "$work/as.log"
ok "appstreamcli validate --no-net: passed"
zcat "$deb_root/usr/share/man/man6/marrowlake.6.gz" >"$work/marrowlake.6"
warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$work/marrowlake.6" 2>&1 >/dev/null)
[ -z "$warnings" ] || fail "man page warnings: $warnings"
ok "manual page: no groff warnings"
# Icons: the medallion on a transparent ground, at the size the folder names.
for size in 48 128 256; do
  icon="$deb_root/usr/share/icons/hicolor/${size}x$size/apps/$app_id.png"
  read -r w h corner centre < <(convert "$icon" -format '%w %h %[fx:p{0,0}.a] %[fx:p{w/2,h/2}.a]\n' info:)
  [ "$w $h" = "$size $size" ] || fail "icon ${size}: ${w}x$h"
  [ "$corner" = 0 ] && [ "$centre" = 1 ] || fail "icon $size: corner alpha $corner, centre alpha $centre"
done
ok "icons 48, 128 and 256 px, opaque medallion on transparent corners"

echo "== starting the packaged program"
"$build/tests/e2e_scene/ml_e2e_audio" decode "$deb_root/usr/share/marrowlake/data/TrackA.mp3" \
  "$work/TrackA.s16" || fail "cannot decode side A"
start_xvfb
# run_launcher <name> <launcher>: the window appears, side A sounds from its
# beginning, a close request ends the program with exit code 0.
run_launcher() {
  local name=$1 raw="$work/$1.raw" out
  program=$2
  start_program SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$raw"
  answer_question Escape
  find_window
  [ "$window_w" = 1024 ] || fail "$name: window ${window_w}x$window_h"
  heard() {
    out=$(python3 tests/e2e_scene/audio_match.py find "$work/TrackA.s16" "$raw" -1 4096 2>/dev/null)
  }
  wait_for 100 heard || fail "$name: side A not heard within 10 s (${out:-no capture})"
  read -r m_off m_raw m_first _ <<<"$out"
  local start=$((m_raw - m_off))
  [ "$start" -ge 0 ] && [ $((m_first - start)) -le 128 ] ||
    fail "$name: side A not from its beginning (track frame $m_off at capture frame $m_raw, exact from $m_first)"
  "$build/tests/e2e/ml_send_close" "$window" || fail "$name: close request not sent"
  wait_exit 50 || fail "$name: still running 5 s after the close request"
  [ "$program_code" = 0 ] || fail "$name: exit code $program_code"
  ok "$name: window ${window_w}x$window_h, side A heard from capture frame $start, closed with code 0"
}
run_launcher deb "$deb_root/usr/bin/marrowlake"

mkdir "$work/tgz"
tar -xzf "$tgz" -C "$work/tgz" || fail "cannot unpack $(basename "$tgz")"
unpacked=$(ls -d "$work"/tgz/marrowlake-*)
(cd "$unpacked" && find . -type f | sort) >"$work/tgz.list"
cat "$work/tgz.list"
diff <(awk '{print $3}' "$work/deb.list" | sed 's|^\./usr/|./|') "$work/tgz.list" >/dev/null ||
  fail "the .tar.gz holds other files than the .deb"
ok ".tar.gz: the .deb's files under its own top folder"
run_launcher tgz "$unpacked/bin/marrowlake"
report
