#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Slonk developers
# Builds the engine's fuzz target with clang (libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs it for a bounded time from a small seed
# corpus of the design's examples. Usage: run.sh OUT-FOLDER SECONDS
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source_dir=$here/../..
out=${1:?usage: $0 OUT-FOLDER SECONDS}
seconds=${2:?usage: $0 OUT-FOLDER SECONDS}
mkdir -p "$out/corpus"

clang++ -std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
    -I "$source_dir/challenge" "$source_dir"/challenge/*.cpp "$here/fuzz_tick.cpp" \
    -o "$out/fuzz_tick"

# Seeds: START at a boot-clock reading, a tick at each example's distance, a volume.
/usr/bin/python3 - "$out/corpus" <<'PY'
import struct, sys
start = 86461.237
examples = [(0.05, b"35"), (60.02, b"35"), (30, b"35"), (5940.02, b"35"), (721, b"35"),
            (6120.5, b"35"), (0.05, b"0"), (0.05, b"007"), (0.05, b""), (0.05, b"12a"),
            (0.05, b"999999999"), (0.05, b"123456789012345678901234567890"),
            (125.678, b"35"), (59.996, b"35"), (-0.03, b"35")]
for i, (since, volume) in enumerate(examples):
    with open(f"{sys.argv[1]}/seed-{i:02d}", "wb") as f:
        f.write(struct.pack("<dd", start, start + since) + volume)
PY
"$out/fuzz_tick" -max_total_time="$seconds" -max_len=256 -print_final_stats=1 \
    -artifact_prefix="$out/" "$out/corpus" 2>&1 | tail -n 12
