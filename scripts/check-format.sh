#!/usr/bin/env bash
# Checks that every tracked C and C++ source of the kit follows .clang-format:
# clang-format in dry-run mode prints each place that differs, and any
# difference fails. Other authors' code (third_party/) is left as it is.
#
# Usage: scripts/check-format.sh [CLANG_FORMAT]
#   CLANG_FORMAT  the clang-format to run (clang-format-14, else clang-format)
# Mend what it shows with: clang-format -i FILE ...
set -euo pipefail
cd "$(dirname "$0")/.."
clang_format=${1:-$(command -v clang-format-14 || command -v clang-format || true)}
if [[ -z "$clang_format" ]]; then
  echo "scripts/check-format.sh: no clang-format (apt-get install clang-format)" >&2
  exit 2
fi
git ls-files -z -- '*.c' '*.cpp' '*.h' '*.hpp' ':!:third_party/' |
  xargs -0 -n 40 -P "$(nproc)" "$clang_format" --dry-run --Werror
