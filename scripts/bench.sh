#!/usr/bin/env bash
# Benchmarks launcher.exe under Wine against Wine's own "start /wait" and a direct start of the
# same program for the same document, times the resolution alone, and measures what the launcher
# and the wine server spend while the launcher waits on a child without a window. Prints figures;
# nothing here passes or fails on a time.
#
#   bash scripts/bench.sh [rounds]        (30 rounds by default)
#
# BENCH_BUILD_DIR names another Windows build folder (default build/windows); it gets its own Wine
# prefix inside it, as build/windows does.
set -uo pipefail
cd "$(dirname "$0")/.."
rounds=${1:-30}
build=${BENCH_BUILD_DIR:-build/windows}

bash scripts/setup.sh || exit 1
source scripts/wine.sh
export WINEPREFIX="$PWD/$build/wineprefix"
# The same code page as the tests' first run.
export LANG=en_US.UTF-8 LC_ALL=en_US.UTF-8

echo "== Building the benchmark in $build"
if [ ! -f "$build/CMakeCache.txt" ]; then
    if [ "$build" = build/windows ]; then
        cmake --preset windows >/dev/null || exit 1
    else
        cmake -S . -B "$build" --toolchain cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=MinSizeRel \
            >/dev/null || exit 1
    fi
fi
cmake --build "$build" --target launcher_bench -j2 >/dev/null || exit 1

trap stop_wine EXIT
start_wine

# This prefix's wine server: the one working in the folder that Wine names after the prefix's
# device and inode.
server_folder="server-$(printf '%x' "$(stat -c %d "$WINEPREFIX")")-$(printf '%x' "$(stat -c %i "$WINEPREFIX")")"
BENCH_WINESERVER_PID=
for pid in $(pgrep wineserver); do
    case "$(readlink "/proc/$pid/cwd" 2>/dev/null)" in
    */"$server_folder") BENCH_WINESERVER_PID=$pid ;;
    esac
done
export BENCH_WINESERVER_PID BENCH_CLOCK_TICKS="$(getconf CLK_TCK)"

launcher="$build/bin/launcher.exe"
echo "== $(nproc) cores, load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "launcher.exe: $(stat -c %s "$launcher") bytes, imports:" \
    $(x86_64-w64-mingw32-objdump -p "$launcher" | sed -n 's/^\s*DLL Name: //p')
wine64 "$build/bin/launcher_bench.exe" "$rounds" 2000 5000
status=$?
echo "== Load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
exit $status
