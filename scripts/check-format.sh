#!/usr/bin/env bash
# Checks that every C++ file of the checkout is formatted as .clang-format says, with the pinned
# clang-format 14 (another version formats differently). Usage: scripts/check-format.sh [--fix]
set -euo pipefail
cd "$(dirname "$0")/.."
tool=clang-format-14
command -v "$tool" >/dev/null || { echo "check-format: $tool is missing (scripts/install-deps.sh)" >&2; exit 1; }
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if [ "${1:-}" = "--fix" ]; then
  "$tool" -i "${files[@]}"
  exit 0
fi
if ! "$tool" --dry-run --Werror "${files[@]}" 2>/tmp/check-format.$$; then
  grep -o '^[^:]*' /tmp/check-format.$$ | sort -u | sed 's/^/not formatted: /' >&2
  rm -f /tmp/check-format.$$
  echo "check-format: run scripts/check-format.sh --fix" >&2
  exit 1
fi
rm -f /tmp/check-format.$$
