#!/bin/sh
# Builds the libFuzzer targets with clang (AddressSanitizer and UndefinedBehaviorSanitizer on)
# in build-fuzz and runs each for a set time from its seed corpus under bench/fuzz/seeds.
# Any crash, hang or sanitizer report stops that target, keeps the input that caused it in
# build-fuzz/findings and makes the script fail. Not part of CI.
#
#   bench/run_fuzz.sh [seconds per target, default 300] [target ...]
# targets: line_assembler telegram conversions file_lines export_record unzip
# Needs clang and libclang-rt-14-dev (apt-get install clang libclang-rt-14-dev).
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
build=${CHRONIVO_FUZZ_BUILD_DIR:-"$here/build-fuzz"}
seconds=${1:-300}
[ $# -gt 0 ] && shift
targets=${*:-"line_assembler telegram conversions file_lines export_record unzip"}

cmake -S "$here" -B "$build" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug \
    -DCHRONIVO_BUILD_FUZZ=ON -DCHRONIVO_BUILD_TESTS=OFF -DCHRONIVO_BUILD_BENCH=OFF >/dev/null
for t in $targets; do
    cmake --build "$build" -j "$(nproc)" --target "fuzz_$t"
done

mkdir -p "$build/findings"
failed=""
for t in $targets; do
    corpus="$build/corpus/$t"
    mkdir -p "$corpus"
    echo "== fuzz_$t for $seconds s"
    if ! UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 QT_QPA_PLATFORM=offscreen \
        "$build/bench/fuzz/fuzz_$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=4096 \
        -print_final_stats=1 -artifact_prefix="$build/findings/$t-" "$corpus" "$here/bench/fuzz/seeds/$t" \
        >"$build/fuzz_$t.log" 2>&1; then
        failed="$failed $t"
        tail -40 "$build/fuzz_$t.log"
    fi
    grep -E "^stat::number_of_executed_units|^Done|ERROR" "$build/fuzz_$t.log" || true
done
if [ -n "$failed" ]; then
    echo "findings in:$failed (inputs in $build/findings)"
    exit 1
fi
echo "all targets ran $seconds s without a finding"
