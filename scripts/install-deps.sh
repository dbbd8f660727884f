#!/usr/bin/env bash
# Installs the Debian packages the project needs; quick when they are all present.
set -euo pipefail

packages=(
    build-essential cmake ninja-build ccache clang-format clang libclang-rt-14-dev pkg-config
    qt6-base-dev qt6-base-dev-tools libqt6sql6-sqlite libqt6sql6-odbc libgl-dev
    unixodbc unixodbc-dev odbc-postgresql tdsodbc postgresql sqlite3 libsqlite3-dev
    fonts-thai-tlwg fonts-dejavu-core xvfb x11-apps imagemagick
)

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
