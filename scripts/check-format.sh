#!/usr/bin/env bash
# Checks that every tracked C++ source and header is formatted as .clang-format says, with
# clang-format 14 (other versions lay some constructs out differently). Prints where a file
# differs and fails; `clang-format -i FILE...` formats them.
set -euo pipefail
top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$top"

formatter="$(command -v clang-format-14 || command -v clang-format || true)"
if [ -z "$formatter" ]; then
    echo "clang-format 14 is not installed (./scripts/setup.sh installs it)." >&2
    exit 1
fi
if ! "$formatter" --version | grep -q 'version 14\.'; then
    echo "$formatter is not clang-format 14: $("$formatter" --version)" >&2
    exit 1
fi

if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    mapfile -d '' files < <(git ls-files -z -- '*.cpp' '*.h')
else
    mapfile -d '' files < <(find . -path './build*' -prune -o \( -name '*.cpp' -o -name '*.h' \) -print0)
fi

if "$formatter" --dry-run -Werror "${files[@]}"; then
    echo "Format check: ${#files[@]} files formatted as .clang-format says."
else
    echo "Format check failed: format the files above with clang-format -i." >&2
    exit 1
fi
