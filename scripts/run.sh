#!/usr/bin/env bash
# Sets VRN up (packages and build) and opens its main window.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
top="$(dirname "$here")"
"$here/setup.sh"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "VRN is built (${VRN_BUILD_DIR:-$top/build}/bin/vrn), but there is no display to open its window on:" >&2
    echo "DISPLAY is not set. Run this command from a graphical session (or under xvfb-run)." >&2
    exit 1
fi
exec "${VRN_BUILD_DIR:-$top/build}/bin/vrn"
