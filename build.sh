#!/bin/sh
# Builds the timing client on Debian 12 and either starts it or runs the test suite.
#   ./build.sh run    build and start the program
#   ./build.sh test   build and run every test headless
#   ./build.sh sanitize  build the tests with AddressSanitizer and UndefinedBehaviorSanitizer in a
#                     second build folder (build-sanitize) and run them there
# Missing Debian packages are installed with apt-get when run as root; otherwise the one
# apt-get line to run is printed.
set -eu

mode=${1:-run}
here=$(cd "$(dirname "$0")" && pwd)
build=${CHRONIVO_BUILD_DIR:-"$here/build"}

packages="cmake make g++ pkg-config qt6-base-dev qt6-base-dev-tools qt6-serialport-dev libqt6sql6-sqlite \
libqt6serialport6 libsqlite3-dev libgl-dev libzip-dev zipcmp zipmerge ziptool libgtest-dev libbenchmark-dev socat xvfb xauth \
python3 zip qt6-translations-l10n"

missing=""
for p in $packages; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $p"
    fi
done
if [ -n "$missing" ]; then
    if [ "$(id -u)" = "0" ]; then
        echo "Installing:$missing"
        apt-get update -qq
        DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $missing
    else
        echo "Missing packages. Please run:"
        echo "  sudo apt-get install -y$missing"
        exit 1
    fi
fi

jobs=$(nproc 2>/dev/null || echo 2)
if [ "$mode" = sanitize ]; then
    sanitized=${CHRONIVO_SANITIZE_BUILD_DIR:-"$here/build-sanitize"}
    cmake -S "$here" -B "$sanitized" -DCMAKE_BUILD_TYPE=Debug -DCHRONIVO_SANITIZE=ON -DCHRONIVO_BUILD_BENCH=OFF
    cmake --build "$sanitized" -j "$jobs"
    cd "$sanitized"
    # Any report fails its test: UBSan stops at the first finding, ASan always does.
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:detect_stack_use_after_return=0 \
    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    QT_QPA_PLATFORM=offscreen exec ctest --output-on-failure -j "$jobs"
fi
# The benchmarks are built too (so they keep compiling) but never run here.
cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCHRONIVO_BUILD_BENCH=ON
cmake --build "$build" -j "$jobs"

case "$mode" in
run)
    exec "$build/app/chronivo"
    ;;
test)
    cd "$build"
    QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$jobs"
    ;;
*)
    echo "usage: $0 [run|test|sanitize]" >&2
    exit 2
    ;;
esac
