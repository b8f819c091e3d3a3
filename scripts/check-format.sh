#!/usr/bin/env bash
# Fails when a C++ file differs from the committed clang-format style.
set -euo pipefail
cd "$(dirname "$0")/.."

command -v clang-format >/dev/null || scripts/install-deps.sh
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run -Werror
