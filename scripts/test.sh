#!/usr/bin/env bash
# Sets VRN up (packages and build) and runs every test; windows open on a private X server.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
top="$(dirname "$here")"
"$here/setup.sh"
ctest --test-dir "${VRN_BUILD_DIR:-$top/build}" --output-on-failure --parallel "$(nproc)" --timeout 900
