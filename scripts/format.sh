#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Applies the project's clang-format style to the C++ files git tracks. Only
# C++: clang-format mangles CMake and shell files.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
git ls-files -z -- '*.cpp' '*.h' | xargs -0 clang-format -i
