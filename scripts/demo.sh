#!/usr/bin/env bash
# Sets up the machine, builds launcher.exe and runs it under Wine on a sample document, then tells
# what happened: the exit code and which program received which command line.
#
#   bash scripts/demo.sh [document]
#
# Without a document the bundled sample is used: a small stand-in viewer program that records what
# it was started with. A document given here is copied next to the launcher and opened by name.
set -euo pipefail
cd "$(dirname "$0")/.."
document=${1:-}
if [ -n "$document" ] && [ ! -f "$document" ]; then
    echo "No such file: $document" >&2
    exit 2
fi

bash scripts/setup.sh
cmake --preset windows >/dev/null
cmake --build --preset windows --target launcher viewer >/dev/null
source scripts/wine.sh
trap stop_wine EXIT
start_wine

demo="$WINEPREFIX/drive_c/launcher-demo"
rm -rf "$demo"
mkdir -p "$demo"
cp build/windows/bin/launcher.exe "$demo/"
# Wine quotes a Linux argument that holds blanks, and a quoted /path value names no file, so the
# document gets a name without blanks.
if [ -n "$document" ]; then
    name=$(basename "$document" | tr ' ' '_')
    cp "$document" "$demo/$name"
else
    name="SampleViewer.exe"
    cp build/windows/bin/viewer.exe "$demo/$name"
fi

echo "Running: C:\\launcher-demo\\launcher.exe /path $name"
set +e
VIEWER_RECORD='C:\launcher-demo\started.txt' VIEWER_SCRIPT='window:SampleMain:Sample document;sleep:1000' \
    wine64 'C:\launcher-demo\launcher.exe' /path "$name"
code=$?
set -e
case $code in
    0) echo "Exit code: 0 (a launch was attempted)" ;;
    255) echo "Exit code: -1 (the document cannot be found)" ;;
    *) echo "Exit code: $code" ;;
esac
if [ -f "$demo/started.txt" ]; then
    sed -n 's/^commandLine=/Started with command line: /p; s/^currentDirectory=/In folder: /p' \
        "$demo/started.txt" | tr -d '\r'
elif [ "$code" = 0 ]; then
    echo "No recording program was started (the launch itself may have failed)."
fi
