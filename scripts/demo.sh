#!/usr/bin/env bash
# Sets up the machine, builds launcher.exe and launcher-explain.exe with MinGW-w64, and shows under
# Wine how the launcher opens a document: first launcher-explain.exe's account of the decision,
# then the real launch through the association of Wine's own prefix, with the exit code and the
# program started, which is then ended again.
#
#   bash scripts/demo.sh [document]
#
# Without a document the bundled sample text (scripts/sample.txt) is used, which Wine opens in its
# notepad (headless: the prefix uses the null graphics driver). The document is copied into a demo
# kit, C:\launcher-demo\Kit\Docs, and opened from the launcher's folder Kit\Bin as ..\Docs\<name>.
set -euo pipefail
cd "$(dirname "$0")/.."
document=${1:-scripts/sample.txt}
if [ ! -f "$document" ]; then
    echo "No such file: $document" >&2
    exit 2
fi

bash scripts/setup.sh
cmake --preset windows >/dev/null
cmake --build --preset windows --target launcher launcher-explain >/dev/null
source scripts/wine.sh

tied_txt=no
started_pid=
finish() {
    if [ -n "$started_pid" ]; then
        kill "$started_pid" 2>/dev/null || true
    fi
    if [ "$tied_txt" = yes ]; then
        wine64 reg delete 'HKCR\.txt' /f >/dev/null 2>&1 || true
    fi
    stop_wine
}
trap finish EXIT
start_wine

kit="$WINEPREFIX/drive_c/launcher-demo/Kit"
rm -rf "$WINEPREFIX/drive_c/launcher-demo"
mkdir -p "$kit/Bin" "$kit/Docs"
cp build/windows/bin/launcher.exe build/windows/bin/launcher-explain.exe "$kit/Bin/"
# Wine quotes a Linux argument that holds blanks, and a quoted /path value names no file, so the
# document gets a name without blanks.
name=$(basename "$document" | tr ' ' '_')
cp "$document" "$kit/Docs/$name"
windows_document="C:\\launcher-demo\\Kit\\Docs\\$name"
tail_path="..\\Docs\\$name"

# Wine's prefix has the txtfile class, opened by its notepad, but unlike Windows it does not tie
# .txt documents to it. For a .txt document the demo ties them for this run, and unties them again.
shopt -s nocasematch
if [[ "$name" == *.txt ]] && ! wine64 reg query 'HKCR\.txt' /ve >/dev/null 2>&1; then
    wine64 reg add 'HKCR\.txt' /ve /d txtfile /f >/dev/null 2>&1
    tied_txt=yes
    echo "(Wine's prefix does not tie .txt to its txtfile class; tied for this demo: HKCR\\.txt = txtfile)"
fi
shopt -u nocasematch

echo
echo "== What the launcher decides: C:\\launcher-demo\\Kit\\Bin\\launcher-explain.exe /path $tail_path"
set +e
explanation=$(wine64 'C:\launcher-demo\Kit\Bin\launcher-explain.exe' /path "$tail_path" | tr -d '\r')
explain_code=${PIPESTATUS[0]}
set -e
echo "$explanation"
echo "(launcher-explain.exe exit code: $explain_code)"

echo
echo "== Opening it: C:\\launcher-demo\\Kit\\Bin\\launcher.exe /path $tail_path"
set +e
wine64 'C:\launcher-demo\Kit\Bin\launcher.exe' /path "$tail_path"
code=$?
set -e
case $code in
    0) echo "Exit code: 0 (a launch was attempted)" ;;
    255) echo "Exit code: -1 (the document cannot be found)" ;;
    *) echo "Exit code: $code" ;;
esac
# The command line comes from the explanation's "Would start" line; the program the launcher left
# running is the process of this prefix whose command line names the document (Wine shows a
# Windows process's command line as its Linux one). It is ended again here.
command_line=$(echo "$explanation" | sed -n 's/^Would start: <\(.*\)>$/\1/p')
folder=$(echo "$explanation" | sed -n 's/^  in folder <\(.*\)>$/\1/p')
for entry in /proc/[0-9]*; do
    if grep -qzxF "WINEPREFIX=$WINEPREFIX" "$entry/environ" 2>/dev/null &&
        grep -qaF "$windows_document" "$entry/cmdline" 2>/dev/null; then
        started_pid=${entry#/proc/}
        break
    fi
done
if [ -n "$started_pid" ]; then
    echo "Program started with command line: $command_line"
    echo "  in folder $folder"
    echo "Running: $(tr '\0' ' ' <"/proc/$started_pid/cmdline" | sed 's/ *$//') (Linux process $started_pid)"
    kill "$started_pid"
    for _ in $(seq 50); do
        [ -d "/proc/$started_pid" ] || break
        sleep 0.1
    done
    started_pid=
    echo "Ended it again."
elif [ "$code" = 0 ]; then
    echo "Launch tried with command line: $command_line"
    echo "  in folder $folder"
    echo "Nothing runs with the document now: the start failed, or the program ended already."
fi
