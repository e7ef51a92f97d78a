#!/usr/bin/env bash
# Fuzzes the RAR library through its C API with libFuzzer (clang, AddressSanitizer + UBSan).
#
#   tools/fuzz.sh [seconds]      (default 300)
#
# Builds in build/fuzz, apart from the native and Windows builds, and not part of the test run.
# Seeds: the corpus archives under 200 KB plus archives made by the test writer (plain,
# encrypted, damaged, hostile names). The growing corpus stays in build/fuzz/corpus between runs;
# inputs that crash, leak, time out or run out of memory are saved in tests/fuzz/crashes/; once
# fixed, move each into tests/fuzz/regressions/, which the normal test run replays.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-300}"
jobs="${SK_JOBS:-2}"
build=build/fuzz

flags="-g -O1 -fno-omit-frame-pointer -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined"
cmake -S . -B "$build" -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DSK_FUZZ=ON \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo "-DCMAKE_C_FLAGS=$flags" "-DCMAKE_CXX_FLAGS=$flags" \
  "-DCMAKE_EXE_LINKER_FLAGS=-fsanitize=address,undefined" >/dev/null
cmake --build "$build" --target rar_fuzzer rar_fuzz_seeds -j "$jobs"

corpus_dir="$(sed -n 's/^SK_RAR_CORPUS_DIR:[A-Z]*=//p' "$build/CMakeCache.txt")"
seeds="$build/seeds"
rm -rf "$seeds"
mkdir -p "$seeds" "$build/corpus" tests/fuzz/crashes
# Archives that unpack to more than 4 MB (Large.rar is a 64 MB bomb) only slow the search down.
for f in "$corpus_dir"/files/*; do
  [ "$(stat -c %s "$f")" -lt 204800 ] || continue
  listing="$corpus_dir/expected/$(basename "$f").txt"
  if [ -f "$listing" ] && [ "$(awk -F'\t' '{s += $2} END {print s + 0}' "$listing")" -gt 4194304 ]; then continue; fi
  cp "$f" "$seeds/"
done
"$build/tests/fuzz/rar_fuzz_seeds" "$seeds"
echo "fuzz: $(ls "$seeds" | wc -l) seeds, running for ${seconds}s"

# -timeout: one input may take at most 20 s; -rss_limit_mb: the library's memory stays bounded.
exec "$build/tests/fuzz/rar_fuzzer" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 \
  -print_final_stats=1 -artifact_prefix=tests/fuzz/crashes/ "$build/corpus" "$seeds"
