#!/usr/bin/env bash
# Redraws docs/screenshots/*.png from the real windows (offscreen), so the README's
# pictures follow the code. Run it after changing a window.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# shellcheck source=common.sh
source "$root/scripts/common.sh"
tarnwick_install_packages "${TARNWICK_RUN_PACKAGES[@]}" fonts-dejavu-core

build="$root/build/release"
cd "$root"
cmake --preset release >/dev/null
cmake --build "$build" --target tarnwick_screenshots -j "$(tarnwick_jobs)"
QT_QPA_PLATFORM=offscreen "$build/tools/tarnwick_screenshots" "$root/docs/screenshots"
