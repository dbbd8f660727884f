#!/usr/bin/env bash
# package.sh: builds the Debian package tqtool_VERSION_ARCH.deb in build-package/ (a Release
# build with the prefix /usr), then checks the packed desktop entry, AppStream metadata and
# systemd units. Installs what is missing first. The package's path is the last line printed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=$root/build-package

"$root/scripts/install-deps.sh"

# The tools of packaging: dpkg-shlibdeps (dpkg-dev) and file for the dependencies on shared
# libraries, and the checkers of desktop entries, AppStream metadata and systemd units.
packages=(dpkg-dev file desktop-file-utils appstream systemd)
missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
if [ ${#missing[@]} -gt 0 ]; then
    if [ "$(id -u)" -ne 0 ]; then
        echo "Missing packages: ${missing[*]}; run as root to install them." >&2
        exit 1
    fi
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
# Only the four programs are built: the package does not need the tests and benchmarks, and
# with CMAKE_SKIP_INSTALL_ALL_DEPENDENCY cpack does not build them either.
cmake -S "$root" -B "$dir" -G Ninja "${launcher[@]}" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX=/usr -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON >/dev/null
cmake --build "$dir" --parallel "$(nproc)" --target tqtool tqtool-cli tq90-sim qor-sim

rm -f "$dir"/tqtool_*.deb
if ! (cd "$dir" && cpack -G DEB >cpack.log 2>&1); then
    cat "$dir/cpack.log" >&2
    echo "cpack failed." >&2
    exit 1
fi
deb=$(ls "$dir"/tqtool_*.deb)

# The checks run on the files as packed.
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
dpkg-deb -x "$deb" "$tree/root"
echo "Checking the desktop entry, the AppStream metadata and the systemd units"
desktop-file-validate "$tree/root/usr/share/applications/th.co.tqtool.tqtool.desktop"
if ! report=$(appstreamcli validate-tree --no-net --strict "$tree/root" 2>&1); then
    echo "$report" >&2
    exit 1
fi
# systemd-analyze wants the program the service starts and the manual page it names: the
# units are checked as copies that start the packed program, with the packed manual pages.
mkdir "$tree/units"
for unit in tqtool-sync.service tqtool-sync.timer; do
    sed "s|/usr/bin/tqtool-cli|$tree/root/usr/bin/tqtool-cli|" \
        "$tree/root/usr/lib/systemd/system/$unit" >"$tree/units/$unit"
done
if ! report=$(MANPATH=$tree/root/usr/share/man systemd-analyze verify \
    "$tree/units/tqtool-sync.service" "$tree/units/tqtool-sync.timer" 2>&1) || [ -n "$report" ]; then
    echo "$report" >&2
    exit 1
fi

echo "$deb"
