#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Slonk developers
#
# Every source file, script and CMake file names its licence near its top.
# Usage: scripts/check-licence-headers.sh [SOURCE-FOLDER]
set -euo pipefail
cd "${1:-$(dirname "$0")/..}"
missing=$(find . \( -path './build*' -o -path './.git' -o -path '*/__pycache__' \) -prune -o \
    -type f \( -name '*.cpp' -o -name '*.h' -o -name '*.c' -o -name '*.sh' -o -name '*.py' \
    -o -name 'CMakeLists.txt' -o -name '*.cmake' -o -path './.ci/run' -o -name '*.1.in' \) \
    -print | sort | while read -r file; do
        head -n 5 "$file" | grep -q 'SPDX-License-Identifier: GPL-3.0-or-later' || echo "$file"
    done)
if [[ -n $missing ]]; then
    echo "expected an SPDX-License-Identifier line near the top of:" >&2
    echo "$missing" >&2
    exit 1
fi
echo "every source file names its licence"
