#!/usr/bin/env bash
# Fails when a tracked C++ file differs from what the committed .clang-format makes of it;
# `git ls-files '*.cpp' '*.h' | xargs clang-format -i` mends it.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror
echo "format: ok"
