#!/usr/bin/env bash
# Builds a Release FileKreller in build/ and starts it from build/bin, so that ../custom_krellers,
# ../context_crtrs and ../docs resolve inside the build tree.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build build
cd build/bin
exec ./FileKreller "$@"
