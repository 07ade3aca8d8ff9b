#!/usr/bin/env bash
# Builds the Debian package build-package/filekreller_<version>_<arch>.deb from a Release build.
# Install it with: apt-get install ./build-package/filekreller_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build build-package
(cd build-package && cpack -G DEB)
ls build-package/filekreller_*.deb
