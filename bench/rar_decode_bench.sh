#!/usr/bin/env bash
# Decode throughput of `skrar t` against Debian's bsdtar (libarchive) on the corpus's larger
# archives, both measured in the same run. Prints MB/s, the ratio and the peak memory.
# Usage: bench/rar_decode_bench.sh [runs]      (best of `runs`, default 5)
# Builds skrar in build/bench (Release, no sanitizers) first. Not a test: nothing fails on speed.
set -euo pipefail
# The timings below are read back by awk: decimal points, not the locale's commas.
export LC_ALL=C
cd "$(dirname "$0")/.."
runs="${1:-5}"
corpus="$(cd ../shared/rar-corpus 2>/dev/null && pwd || echo /work/shared/rar-corpus)"

cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DSK_SANITIZE=OFF >/dev/null
cmake --build build/bench --target skrar -j "${SK_JOBS:-2}" >/dev/null
skrar="$PWD/build/bench/tools/skrar"
# The decoder alone (streams in memory, output discarded), to tell its time from the rest of skrar.
decoder="$PWD/build/bench/rar5_decode_only"
g++ -std=c++17 -O3 -DNDEBUG -I. -DSK_TEST_CORPUS_DIR="\"$corpus/\"" -o "$decoder" \
  bench/rar5_decode_only.cpp tests/rar5/test_support.cpp unrar/rar5/*.cpp unrar/entry_decoder.cpp
command -v bsdtar >/dev/null || { echo "bsdtar is missing (Debian libarchive-tools)" >&2; exit 1; }

# Large.rar: 64 MiB of repetitive data (window copies); Rar.issue1050.rar: 15 MB of real data;
# the multiarchive set: executables with x86 and DELTA filters across 8 volumes; the RAR4 ones
# show "n/a" for skrar until their decoder is there.
archives=()
for a in Large.rar Rar.issue1050.rar test_read_format_rar5_multiarchive.part01.rar \
    test_read_format_rar_binary_data.rar Rar.Audio_program.rar; do
  [ -f "$corpus/files/$a" ] && archives+=("$corpus/files/$a")
done

# Larger RAR5 archives made from files of this machine (bench/bench_archives.sh).
source bench/bench_archives.sh
make_bench_archives build/bench/data
archives+=("${bench_archives[@]}")

# The volumes of a set, in order (bsdtar reads a set as one concatenated stream).
volumes() {
  local first="$1"
  case "$first" in
    *.part01.rar) ls "${first%01.rar}"[0-9][0-9].rar ;;
    *) echo "$first" ;;
  esac
}

unpacked_mb() {  # from the corpus listing, or the made archive's content
  local a="$1" listing="$corpus/expected/$(basename "$1").txt"
  if [ -f "$listing" ]; then
    awk -F'\t' '{s += $2} END {printf "%.2f", s / 1e6}' "$listing"
  else
    stat -c %s "${a%.rar}.bin" | awk '{printf "%.2f", $1 / 1e6}'
  fi
}

# best_of <command...>: prints "wall cpu" seconds, the best of $runs runs, or "fail".
best_of() {
  local best_wall="" best_cpu="" out wall cpu
  TIMEFORMAT='%R %U %S'
  for ((i = 0; i < runs; i++)); do
    if ! out=$( { time "$@" >/dev/null 2>&1; } 2>&1 ); then echo fail; return; fi
    wall=$(echo "$out" | awk '{print $1}')
    cpu=$(echo "$out" | awk '{print $2 + $3}')
    if [ -z "$best_wall" ] || awk "BEGIN{exit !($wall < $best_wall)}"; then best_wall=$wall; fi
    if [ -z "$best_cpu" ] || awk "BEGIN{exit !($cpu < $best_cpu)}"; then best_cpu=$cpu; fi
  done
  echo "$best_wall $best_cpu"
}

peak_mib() {  # peak resident memory of one run, MiB
  { /usr/bin/time -v "$@" 2>&1 >/dev/null || true; } | awk -F: '/Maximum resident set size/ {printf "%.1f", $2 / 1024}'
}

run_skrar() { "$skrar" t "$1"; }
# bsdtar exits with 1 after directory entries ("Can't decompress an entry marked as a
# directory") although it extracts every file: its exit code says nothing here.
run_bsdtar() { cat $(volumes "$1") | bsdtar -xOf - || true; }

printf '%-46s %8s | %9s %9s %6s | %9s %9s %6s | %8s %8s | %8s\n' archive "MB" \
  "skrar" "bsdtar" "ratio" "skr cpu" "bsd cpu" "ratio" "skr MiB" "bsd MiB" "decoder"
printf '%-46s %8s | %9s %9s %6s | %9s %9s %6s | %8s %8s | %8s\n' "" "" \
  "MB/s" "MB/s" "wall" "MB/s" "MB/s" "cpu" "peak" "peak" "MB/s"
for a in "${archives[@]}"; do
  mb=$(unpacked_mb "$a")
  read -r s_wall s_cpu _ <<<"$(best_of run_skrar "$a") x"
  read -r b_wall b_cpu _ <<<"$(best_of run_bsdtar "$a") x"
  rate() { awk "BEGIN{ if (\"$1\" == \"fail\" || $2 + 0 == 0) print \"n/a\"; else printf \"%.1f\", $mb / $2 }"; }
  ratio() { awk "BEGIN{ if (\"$1\" == \"fail\" || \"$2\" == \"fail\" || $1 + 0 == 0) print \"n/a\"; else printf \"%.2f\", $2 / $1 }"; }
  s_peak=$( [ "$s_wall" = fail ] && echo n/a || peak_mib "$skrar" t "$a")
  b_peak=$(peak_mib bsdtar -xOf "$a")
  decoder_rate=n/a
  if dec=$("$decoder" "$a" "$runs" 2>/dev/null); then
    decoder_rate=$(echo "$dec" | awk '{ if ($1 > 0) printf "%.1f", $2 / 1e6 / $1 }')
  fi
  printf '%-46s %8s | %9s %9s %6s | %9s %9s %6s | %8s %8s | %8s\n' "$(basename "$a")" "$mb" \
    "$(rate "$s_wall" "$s_wall")" "$(rate "$b_wall" "$b_wall")" "$(ratio "$s_wall" "$b_wall")" \
    "$(rate "$s_wall" "$s_cpu")" "$(rate "$b_wall" "$b_cpu")" "$(ratio "$s_cpu" "$b_cpu")" \
    "$s_peak" "$b_peak" "$decoder_rate"
done
echo "ratio = bsdtar time / skrar time (above 1: skrar is faster). MB = unpacked megabytes."
echo "decoder = the RAR5 decoder alone (CPU time) on the archive's streams in memory, no checksums."
