#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer, ASan + UBSan, against the simulated machine) and runs
# each for the given number of seconds (default 60), one after the other, then prints how many
# inputs each ran. Fails when any target fails; the input that made it fail is kept under
# build/fuzz/artifacts, and the log of each run under build/fuzz/logs.
#
#   bash scripts/fuzz.sh [seconds]
#
# The seeds in fuzz/corpus/<target> are only read; what a run finds besides them is kept in
# build/fuzz/corpus/<target> and given to the next run.
set -uo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
if ! [[ $seconds =~ ^[1-9][0-9]*$ ]]; then
    echo "usage: bash scripts/fuzz.sh [seconds per target]" >&2
    exit 2
fi

bash scripts/setup.sh || exit 1

build=build/fuzz
targets=(string command_tail document_path command_template program_file win_main)

echo "== Fuzz build (clang, libFuzzer, ASan + UBSan)"
cmake -S . -B "$build" -G "Unix Makefiles" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLAUNCHER_FUZZ=ON >/dev/null || exit 1
cmake --build "$build" --parallel "$(nproc)" -- --no-print-directory >/dev/null || {
    cmake --build "$build" -- --no-print-directory # again, to show the errors
    exit 1
}

mkdir -p "$build/logs" "$build/artifacts"
status=0
results=()
for target in "${targets[@]}"; do
    mkdir -p "$build/corpus/$target"
    log="$build/logs/$target.log"
    echo "== fuzz_$target, $seconds s"
    # A single input that takes 20 s is a hang: the launcher's own wait is bounded far below that.
    "$build/bin/fuzz_$target" "$build/corpus/$target" "fuzz/corpus/$target" \
        -dict=fuzz/launcher.dict -max_total_time="$seconds" -timeout=20 -print_final_stats=1 \
        -artifact_prefix="$build/artifacts/$target-" >"$log" 2>&1
    result=$?
    executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
    if [ $result -eq 0 ]; then
        outcome=passed
    else
        outcome="FAILED (exit $result)"
        status=1
        grep -E 'ERROR|fuzz check failed|SUMMARY|Test unit written|^    #[0-9]+ .* in ' "$log" |
            head -40
    fi
    results+=("$(printf '%-18s %12s %10s  %s' "$target" "${executions:-?}" "${rate:-?}" "$outcome")")
done

echo "== Fuzz targets, $seconds s each"
printf '%-18s %12s %10s  %s\n' target executions "per s" result
printf '%s\n' "${results[@]}"
exit $status
