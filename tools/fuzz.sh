#!/usr/bin/env bash
# Fuzzes with libFuzzer (clang, AddressSanitizer + UBSan), one target after the other:
#   rar  the RAR library through its C API
#   rtf  the agreement's rich text cut into pieces for the viewer
#   log  the uninstaller's reading of UnInstall.log
#   ini  the INI reader and writer (Setup.ini, UnInstall.ini, GraphEditor.ini)
#
#   tools/fuzz.sh [seconds] [target...]     (default 300 seconds, every target)
#
# The seconds are shared evenly between the targets named. Builds in build/fuzz, apart from the
# native and Windows builds, and not part of the test run. Each target grows its own corpus in
# build/fuzz/corpus/<target>, kept between runs, from seeds: archives of the corpus under 200 KB
# and archives made by the test writer (rar); the demo medium's agreement (rtf); the files in
# tests/fuzz/regressions/<target>/ and the demo medium's Setup.ini (log, ini). Inputs that crash,
# leak, time out, run out of memory or break an invariant are saved in tests/fuzz/crashes/<target>/;
# once fixed, move each into tests/fuzz/regressions/<target>/, which the normal test run replays.
# SK_JOBS sets the build's parallel jobs (default 2); the fuzzing runs in one process, one job.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-300}"
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(rar rtf log ini)
jobs="${SK_JOBS:-2}"
build=build/fuzz

for t in "${targets[@]}"; do
  case "$t" in rar|rtf|log|ini) ;; *) echo "fuzz: no target $t (rar, rtf, log, ini)" >&2; exit 2 ;; esac
done
# libFuzzer's runtime comes with compiler-rt, a package of its own.
if ! command -v clang++ >/dev/null || [ ! -f "$(clang++ -print-resource-dir)/lib/linux/libclang_rt.fuzzer-x86_64.a" ]; then
  echo "fuzz: needs clang and libFuzzer: apt-get install clang libclang-rt-dev" >&2
  exit 2
fi

flags="-g -O1 -fno-omit-frame-pointer -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined"
cmake -S . -B "$build" -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DSK_FUZZ=ON \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo "-DCMAKE_C_FLAGS=$flags" "-DCMAKE_CXX_FLAGS=$flags" \
  "-DCMAKE_EXE_LINKER_FLAGS=-fsanitize=address,undefined" >/dev/null
build_targets=()
for t in "${targets[@]}"; do build_targets+=("${t}_fuzzer"); done
[[ " ${targets[*]} " == *" rar "* ]] && build_targets+=(rar_fuzz_seeds)
cmake --build "$build" --target "${build_targets[@]}" -j "$jobs"

# Fills $1 with the seeds of target $2.
make_seeds() {
  local seeds="$1" target="$2"
  rm -rf "$seeds"
  mkdir -p "$seeds"
  case "$target" in
    rar)
      local corpus_dir f listing
      corpus_dir="$(sed -n 's/^SK_RAR_CORPUS_DIR:[A-Z]*=//p' "$build/CMakeCache.txt")"
      # Archives that unpack to more than 4 MB (Large.rar is a 64 MB bomb) only slow the search down.
      for f in "$corpus_dir"/files/*; do
        [ "$(stat -c %s "$f")" -lt 204800 ] || continue
        listing="$corpus_dir/expected/$(basename "$f").txt"
        if [ -f "$listing" ] && [ "$(awk -F'\t' '{s += $2} END {print s + 0}' "$listing")" -gt 4194304 ]; then continue; fi
        cp "$f" "$seeds/"
      done
      "$build/tests/fuzz/rar_fuzz_seeds" "$seeds"
      ;;
    rtf)
      # The target's input is a piece size byte and what follows the document's "{\rtf1".
      { printf '\x10'; tail -c +7 demo/License.rtf; } > "$seeds/license"
      ;;
    log) cp tests/fuzz/regressions/log/* "$seeds/" ;;
    ini) cp tests/fuzz/regressions/ini/* demo/Setup.ini "$seeds/" ;;
  esac
}

share=$((seconds / ${#targets[@]}))
[ "$share" -gt 0 ] || share=1
failed=()
for t in "${targets[@]}"; do
  seeds="$build/seeds/$t"
  make_seeds "$seeds" "$t"
  mkdir -p "$build/corpus/$t" "tests/fuzz/crashes/$t"
  echo "fuzz: $t, $(ls "$seeds" | wc -l) seeds, $(ls "$build/corpus/$t" | wc -l) in its corpus, running for ${share}s"
  # -timeout: one input may take at most 20 s; -rss_limit_mb: memory stays bounded.
  if ! "$build/tests/fuzz/${t}_fuzzer" -max_total_time="$share" -timeout=20 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="tests/fuzz/crashes/$t/" "$build/corpus/$t" "$seeds"; then
    failed+=("$t")
  fi
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz: findings in ${failed[*]}: see tests/fuzz/crashes/" >&2
  exit 1
fi
echo "fuzz: no findings in ${targets[*]}"
