#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test through CTest: once in a normal
# build, then again under AddressSanitizer and UndefinedBehaviorSanitizer; then runs each fuzz
# target for a short fixed number of inputs (clang's libFuzzer, see docs/fuzzing.md).
set -euo pipefail
cd "$(dirname "$0")"

./scripts/install-deps.sh

./scripts/build.sh build -DCMAKE_BUILD_TYPE=RelWithDebInfo
(cd build && ctest --output-on-failure --parallel 2)

./scripts/build.sh build-asan -DCMAKE_BUILD_TYPE=Debug -DWITH_ASAN=ON
(cd build-asan && ctest --output-on-failure --parallel 2)

if command -v clang++ >/dev/null; then
    ./scripts/fuzz.sh build-fuzz -runs=10000
else
    echo "clang++ is missing: the fuzz targets were not run" >&2
fi
