#!/usr/bin/env bash
# fuzz.sh DIR [libFuzzer options...]: configures (once, with clang and -DTQ_FUZZ=ON) and builds the
# fuzz targets into DIR, then runs each over its corpus tests/fuzz/corpus/<name>/ under ASan and
# UBSan; the two INI readers also start from the shipped layouts in resources/layouts/. Without
# options each target makes 10000 runs. New inputs go to a scratch folder, so the committed corpus
# is not changed; a finding stops the script, and its input is kept as
# DIR/fuzz-findings/<name>/crash-* (add it to the corpus once the fault is mended).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=$1
shift
options=("$@")
if [ ${#options[@]} -eq 0 ]; then
    options=(-runs=10000)
fi
launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
if [ ! -f "$dir/CMakeCache.txt" ]; then
    CC=clang CXX=clang++ cmake -S "$root" -B "$dir" -G Ninja "${launcher[@]}" \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTQ_FUZZ=ON >/dev/null
fi
cmake --build "$dir" --parallel "$(nproc)" --target fuzz-targets

export ASAN_OPTIONS=detect_leaks=0
for corpus in "$root"/tests/fuzz/corpus/*/; do
    name=$(basename "$corpus")
    findings="$dir/fuzz-findings/$name"
    scratch=$(mktemp -d)
    mkdir -p "$findings"
    seeds=("$corpus")
    case $name in layoutfile | inifile) seeds+=("$root/resources/layouts") ;; esac
    if ! "$dir/tests/fuzz/fuzz-$name" -seed=1 -artifact_prefix="$findings/" "${options[@]}" \
        "$scratch" "${seeds[@]}" >"$findings/log.txt" 2>&1; then
        tail -n 40 "$findings/log.txt"
        rm -rf "$scratch"
        echo "fuzz-$name found a fault; its input is in $findings" >&2
        exit 1
    fi
    rm -rf "$scratch"
    echo "fuzz-$name: $(grep -o 'Done [0-9]* runs in [0-9]* second' "$findings/log.txt" | tail -n 1 \
        | sed 's/Done \([0-9]*\) runs in \([0-9]*\) second/\1 runs (\2 s)/') without a finding"
done
