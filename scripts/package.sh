#!/usr/bin/env bash
# Builds the Debian package corvane-control_<version>_<arch>.deb from the normal build (build/)
# into build/package/, then lints it. Installs what is missing first, as the other scripts do.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    export CCACHE_BASEDIR="$PWD"
fi
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" >/dev/null
cmake --build build -j"$(nproc)"
rm -f build/package/corvane-control_*.deb
(cd build && cpack -G DEB >/dev/null)
deb=$(ls build/package/corvane-control_*.deb)
echo "Built $deb"
# Errors fail the script; the warnings that stay are listed in the README with their reasons.
lintian --fail-on error "$deb"
