#!/usr/bin/env bash
# Set up, build and make the Debian package build/tavopiano_<version>-1_<arch>.deb.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset default >/dev/null
cmake --build --preset default -j"$(nproc)"
cd build
cpack -G DEB
