#!/usr/bin/env bash
# Sets up the machine and runs every test: the host build under the sanitizers, then the Windows
# build under Wine, then the checks on the 32-bit build.
set -uo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh || exit 1
source scripts/wine.sh

started=$SECONDS
status=0

echo "== Host build (simulated Windows, ASan + UBSan)"
if cmake --preset host >/dev/null && cmake --build --preset host; then
    ctest --preset host || status=1
else
    status=1
fi

# Every fuzz target, a few seconds each, from its seeds (scripts/fuzz.sh alone runs them longer).
bash scripts/fuzz.sh 4 || status=1

echo "== Windows build (MinGW-w64, tests under Wine)"
if cmake --preset windows >/dev/null && cmake --build --preset windows; then
    trap stop_wine EXIT
    start_wine
    ctest --preset windows || status=1
    stop_wine
else
    status=1
fi

# This machine cannot run 32-bit programs, so the 32-bit build is only read: the 64-bit test
# program checks its launcher.exe (machine, subsystem, imports, manifest, size).
echo "== 32-bit Windows build (MinGW-w64 i686, checked, not run)"
if cmake --preset windows-x86 >/dev/null && cmake --build --preset windows-x86 &&
    [ -f build/windows/bin/executable_test.exe ]; then
    trap stop_wine EXIT
    start_wine
    ctest --preset windows-x86 || status=1
    stop_wine
else
    status=1
fi

echo "== All tests took $((SECONDS - started)) s; $([ $status -eq 0 ] && echo passed || echo FAILED)"
exit $status
