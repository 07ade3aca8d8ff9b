#!/usr/bin/env bash
# Installs a build into a temporary DESTDIR and checks what a desktop user gets: the runtime layout,
# a desktop entry and metainfo that validate, the icons, and the launcher starting the program from
# its bin/ directory, through a symbolic link, with the plug-in and help directories resolving.
# Usage: check_install.sh <build dir> <1 when kreller_gfs is built>
set -euo pipefail
build=$1
with_gfs=${2:-0}
stage=$(mktemp -d)
pid=
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null || true
  rm -rf "$stage"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

DESTDIR="$stage" cmake --install "$build" --prefix /usr >/dev/null
usr=$stage/usr
app=$usr/lib/filekreller

expected=(bin/filekreller lib/filekreller/bin/FileKreller lib/filekreller/docs/index.html
          lib/filekreller/docs/productlist.html lib/filekreller/docs/adds/redirectsearch.html
          share/applications/filekreller.desktop share/metainfo/org.example.filekreller.metainfo.xml
          share/icons/hicolor/scalable/apps/filekreller.svg share/doc/filekreller/copyright
          share/doc/filekreller/changelog.gz share/man/man1/filekreller.1.gz)
for size in 16 32 48 64 128 256; do
  expected+=("share/icons/hicolor/${size}x${size}/apps/filekreller.png")
done
for file in "${expected[@]}"; do
  [ -f "$usr/$file" ] || fail "/usr/$file is not installed"
done
for dir in custom_krellers context_crtrs; do
  [ -d "$app/$dir" ] || fail "lib/filekreller/$dir/ is not installed"
done
if [ "$with_gfs" = 1 ]; then
  [ -f "$app/custom_krellers/kreller_gfs.so" ] || fail "kreller_gfs.so is not installed"
fi
for cartridge in pdf_text office_text; do
  [ -f "$app/context_crtrs/$cartridge.so" ] || fail "$cartridge.so is not installed"
  [ -x "$app/context_crtrs/libexec/${cartridge}_convert" ] || fail "${cartridge}_convert is not installed"
done
[ -x "$usr/bin/filekreller" ] || fail "the launcher is not executable"

report=$(desktop-file-validate "$usr/share/applications/filekreller.desktop" 2>&1) || fail "$report"
if grep -qiE "error|warning" <<<"$report"; then fail "$report"; fi
report=$(appstreamcli validate --no-net "$usr/share/metainfo/org.example.filekreller.metainfo.xml" 2>&1) || fail "$report"

# Waits until `file` exists while the program `pid` keeps running.
wait_for_file() {
  local file=$1
  for _ in $(seq 200); do
    [ -e "$file" ] && return 0
    kill -0 "$pid" 2>/dev/null || fail "the program ended: $(cat "$stage/log")"
    sleep 0.1
  done
  fail "$file did not appear"
}

stop_program() {
  kill "$pid"
  wait "$pid" 2>/dev/null || true
  pid=
}

# Started through a link from another directory, as a menu or a user's own link would start it.
ln -s "$usr/bin/filekreller" "$stage/filekreller-link"
cd /
XDG_CONFIG_HOME="$stage/config" "$stage/filekreller-link" >"$stage/log" 2>&1 &
pid=$!
wait_for_file "$app/bin/FileKreller.set"  # written at start beside the program, which can write there
sleep 1
kill -0 "$pid" 2>/dev/null || fail "the program ended: $(cat "$stage/log")"
[ "$(readlink "/proc/$pid/cwd")" = "$app/bin" ] || fail "not started from its bin/ directory"
for dir in custom_krellers context_crtrs docs; do
  [ -d "/proc/$pid/cwd/../$dir" ] || fail "../$dir does not resolve from the working directory"
done
stop_program

# Installed where the user cannot write: the settings go to the user's configuration directory and
# nothing is created in the installed tree, not even a missing plug-in directory.
if [ "$(id -u)" = 0 ] && command -v setpriv >/dev/null; then
  rm -f "$app/bin/FileKreller.set"
  rm -rf "$app/context_crtrs"
  chmod -R a+rX "$stage"
  install -d -m 777 "$stage/user-config"
  before=$(find "$app" | sort)
  XDG_CONFIG_HOME="$stage/user-config" setpriv --reuid=nobody --regid=nogroup --clear-groups \
    "$usr/bin/filekreller" >"$stage/log" 2>&1 &
  pid=$!
  wait_for_file "$stage/user-config/FileKreller/FileKreller.set"
  sleep 1
  kill -0 "$pid" 2>/dev/null || fail "the program ended: $(cat "$stage/log")"
  stop_program
  [ "$(find "$app" | sort)" = "$before" ] || fail "the program created files in the installed tree"
fi
echo "install layout, desktop entry, metainfo, icons and launcher: fine"
