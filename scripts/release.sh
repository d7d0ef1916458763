#!/usr/bin/env bash
# Builds the release: one ZIP per architecture, each with launcher.exe, launcher-explain.exe and
# the user guide, left in build/release/.
#
#   bash scripts/release.sh
#
# The builds are made afresh, with no test programs, in build/release/win64 and build/release/win32.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
rm -f build/release/launcher-*.zip
for preset in release-win64 release-win32; do
    echo "== $preset"
    cmake --workflow --preset "$preset" --fresh >/dev/null
done
for package in build/release/launcher-*.zip; do
    echo "$package:"
    cmake -E tar tf "$package" | grep -v '/$' | sed 's/^/    /'
done
