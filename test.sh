#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test through CTest: once in a normal
# build, then again under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")"

./scripts/install-deps.sh

./scripts/build.sh build -DCMAKE_BUILD_TYPE=RelWithDebInfo
(cd build && ctest --output-on-failure --parallel 2)

./scripts/build.sh build-asan -DCMAKE_BUILD_TYPE=Debug -DWITH_ASAN=ON
(cd build-asan && ctest --output-on-failure --parallel 2)
