#!/usr/bin/env bash
# Installs the Debian packages FileKreller needs to build, test and be looked at, when missing.
set -euo pipefail
packages=(cmake ninja-build g++ pkg-config qt6-base-dev libglib2.0-dev libicu-dev libgtest-dev libgmock-dev
          libbenchmark-dev libjpeg62-turbo-dev libjpeg-turbo-progs libgif-dev libwmf-dev libemf2svg-dev qt6-svg-dev libpoppler-cpp-dev libzip-dev poppler-utils clang libclang-rt-14-dev xvfb xdotool imagemagick ccache ripgrep fd-find bfs linux-perf
          sshfs openssh-server
          openbox desktop-file-utils appstream lintian librsvg2-bin dpkg-dev fakeroot file
          adwaita-icon-theme hicolor-icon-theme dbus-daemon)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq "${missing[@]}"
fi
