#!/usr/bin/env bash
# Installs the Debian packages listed in scripts/packages.txt (only when one is missing) and
# builds VRN into ./build; with --packages-only it stops after the packages. Runs as root, or
# as a normal user who may use sudo.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
top="$(dirname "$here")"
build_type="${VRN_BUILD_TYPE:-RelWithDebInfo}"
build_dir="${VRN_BUILD_DIR:-$top/build}"

mapfile -t packages < <(grep -v -E '^\s*(#|$)' "$here/packages.txt")
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ "${#missing[@]}" -gt 0 ] || [ "${VRN_FORCE_APT:-0}" = 1 ]; then
    as_root=()
    if [ "$(id -u)" -ne 0 ]; then
        if ! command -v sudo >/dev/null; then
            echo "Installing the packages VRN needs (${missing[*]}) takes root: run this as root, or install sudo." >&2
            exit 1
        fi
        as_root=(sudo)
    fi
    echo "Installing: ${missing[*]:-(refreshing package lists)}"
    "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update
    "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${packages[@]}"
fi

if [ "${1:-}" = "--packages-only" ]; then
    exit 0
fi

cmake -S "$top" -B "$build_dir" -DCMAKE_BUILD_TYPE="$build_type" ${VRN_CMAKE_ARGS:-}
cmake --build "$build_dir" --parallel "$(nproc)"
