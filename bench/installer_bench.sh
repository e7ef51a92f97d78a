#!/usr/bin/env bash
# Installer throughput under Wine: the welcome page's verification and the copy page against
# `skrar.exe t` and `skrar.exe x` on the same four RAR5 archives, in the same run.
# Usage: bench/installer_bench.sh [runs]    (default 5, after one warm-up run that is not counted)
#   SK_BENCH_BARE_X=1    runs Wine without its virtual desktop: every page that hides then waits
#                        2 s for a window manager that Xvfb does not have (see bench/README.md)
#   SK_BENCH_FRESH=1     makes the Wine prefix anew
#   SK_BENCH_SETUP=path  times that Setup.exe instead of the build's (an earlier version, say)
# Not a test: nothing fails on speed. See bench/README.md.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$(pwd)"
runs="${1:-5}"
corpus="$(cd ../shared/rar-corpus 2>/dev/null && pwd || echo /work/shared/rar-corpus)"
work="$root/build/bench-installer"

# The Windows build makes Setup.exe, skrar.exe and the benchmark's driver.
cmake -S . -B build/windows -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw32-toolchain.cmake" >/dev/null
cmake --build build/windows -j "${SK_JOBS:-2}" --target Setup skrar installer_bench >/dev/null

# The medium: Large.rar (64 MiB of window copies), Rar.issue1050.rar (15 MB of real files) and
# the two made archives of C headers and shared libraries, every group ticked.
source bench/bench_archives.sh
make_bench_archives build/bench/data
[ "${#bench_archives[@]}" -eq 2 ] || { echo "the made archives are missing" >&2; exit 1; }
medium="$work/medium"
rm -rf "$medium" && mkdir -p "$medium"
cp "${SK_BENCH_SETUP:-build/windows/app/Setup.exe}" "$medium/Setup.exe"
printf '%s\r\n' '{\rtf1\ansi Benchmark agreement.\par}' >"$medium/License.rtf"
iconv -f UTF-8 -t CP1251 <<'EOF' | sed 's/$/\r/' >"$medium/Setup.ini"
[GENERAL]
Caption=Установка Sketrion 7.2
NameApplication=Sketrion 7.2
NameCompany=Sketrion Software
FileLicension=License.rtf
[GROUPS]
EOF
# SK_BENCH_REPEAT=N puts the four archives on the medium N times, so that the copying can outlast
# the 500 ms for which the copy page is shown at least.
archives=()
group=0
for ((r = 1; r <= ${SK_BENCH_REPEAT:-1}; r++)); do
  suffix=$([ "$r" -eq 1 ] || echo "$r")
  for entry in "$corpus/files/Large.rar|LARGE|Большой файл|Повторяющиеся данные" \
               "$corpus/files/Rar.issue1050.rar|ISSUE1050|Файлы|Настоящие данные" \
               "${bench_archives[0]}|HEADERS|Заголовки|Текст" \
               "${bench_archives[1]}|LIBRARIES|Библиотеки|Машинный код"; do
    IFS='|' read -r source_file stem title description <<<"$entry"
    name="$stem$suffix.RAR"
    cp "$source_file" "$medium/$name"
    group=$((group + 1))
    printf '%s=1|%s|%s|%s\r\n' "$group" "$name" "$title" "$description" |
      iconv -f UTF-8 -t CP1251 >>"$medium/Setup.ini"
    archives+=("D:\\$name")
  done
done

export WINEPREFIX="$work/prefix"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export LC_ALL=C.UTF-8 LANG=C.UTF-8
source tools/xvfb.sh
start_xvfb
cleanup() {
  set +e
  wineserver -k 2>/dev/null
  stop_xvfb
}
trap cleanup EXIT

if [ -n "${SK_BENCH_FRESH:-}" ] || [ ! -f "$WINEPREFIX/.ready" ]; then
  rm -rf "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1 || true
  wineserver -w
  for link in "$WINEPREFIX"/drive_c/users/*/*; do
    if [ -L "$link" ]; then rm -f "$link"; mkdir -p "$link"; fi
  done
  touch "$WINEPREFIX/.ready"
fi
# A virtual desktop hides windows at once, as Windows does.
if [ -z "${SK_BENCH_BARE_X:-}" ]; then
  wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1280x1024 /f >/dev/null 2>&1
else
  wine reg delete 'HKCU\Software\Wine\Explorer' /v Desktop /f >/dev/null 2>&1 || true
fi
dd="$WINEPREFIX/dosdevices"
rm -f "$dd/z:" "$dd/d:" "$dd/t:"
ln -s "$medium" "$dd/d:"
ln -s "$root/build/windows" "$dd/t:"

dest="$WINEPREFIX/drive_c/Perf"
bare="$WINEPREFIX/drive_c/PerfBare"
echo "load before: $(uptime | sed 's/.*load average: //')"
printf '%-4s %8s %8s %6s | %8s %8s %6s %8s %6s | %8s | %8s %8s\n' run "verify" "skrar t" ratio "copy" \
  "skrar x" ratio "copied" ratio "skrar l" "idle MiB" "peak MiB"
results=()
# One side of a run: its key=value line, or the end of the benchmark.
side() {
  local line
  line=$(cd "$medium" && wine 'T:\bench\installer_bench.exe' "$@" | tr -d '\r')
  case "$line" in *=*) ;; *) line="error=no-answer" ;; esac
  case "$line" in *error=*) echo "run $i: $line" >&2; exit 1 ;; esac
  echo "$line"
}
for ((i = 0; i <= runs; i++)); do
  rm -rf "$dest" "$bare"
  # Each side starts with no dirty pages of the other's 125 MB left to write back, and the order
  # alternates, so neither side always meets the warmer cache.
  for s in $( ((i % 2)) && echo "bare setup" || echo "setup bare"); do
    sync
    if [ "$s" = setup ]; then
      line=$(side setup 'D:\Setup.exe' 'C:\Perf\') || exit 1  # verify= copy= copied= idle_mib= peak_mib=
    else
      line=$(side bare 'T:\tools\skrar.exe' 'C:\PerfBare\' "${archives[@]}") || exit 1  # test= extract= list=
    fi
    eval "$line"
  done
  # shellcheck disable=SC2154
  read -r vr cr dr < <(awk "BEGIN{printf \"%.2f %.2f %.2f\\n\", $verify / $test, $copy / $extract, $copied / $extract}")
  name=$([ "$i" -eq 0 ] && echo warm || echo "$i")
  printf '%-4s %8s %8s %6s | %8s %8s %6s %8s %6s | %8s | %8s %8s\n' "$name" "$verify" "$test" "$vr" "$copy" \
    "$extract" "$cr" "$copied" "$dr" "$list" "$idle_mib" "$peak_mib"
  [ "$i" -gt 0 ] && results+=("$vr $cr $verify $test $copy $extract $peak_mib $idle_mib $list $dr $copied")
done
echo "load after: $(uptime | sed 's/.*load average: //')"

# Both sides must have written the same tree.
diff -r "$dest" "$bare" | grep -v '^Only in .*Perf: UnInstall.ini' && { echo "the trees differ" >&2; exit 1; }
printf '%s\n' "${results[@]}" | awk '
  { vr[NR] = $1; cr[NR] = $2; v[NR] = $3; t[NR] = $4; c[NR] = $5; x[NR] = $6; p[NR] = $7; grow[NR] = $7 - $8
    l[NR] = $9; dr[NR] = $10; d[NR] = $11 }
  function lo(a, n,   i, m) { m = a[1]; for (i = 2; i <= n; i++) if (a[i] < m) m = a[i]; return m }
  function hi(a, n,   i, m) { m = a[1]; for (i = 2; i <= n; i++) if (a[i] > m) m = a[i]; return m }
  END {
    printf "verification / skrar t: %.2f-%.2f per run, %.2f best to best (target <= 1.1)\n", lo(vr, NR), hi(vr, NR), lo(v, NR) / lo(t, NR)
    printf "copying / skrar x:      %.2f-%.2f per run, %.2f best to best (target <= 1.2)\n", lo(cr, NR), hi(cr, NR), lo(c, NR) / lo(x, NR)
    printf "  until the copying ended:   %.2f-%.2f per run, %.2f best to best (the page is shown 500 ms at least)\n", lo(dr, NR), hi(dr, NR), lo(d, NR) / lo(x, NR)
    printf "  the same, skrar l (process starts) taken off the skrar side: verification %.2f, copying %.2f\n",
      lo(v, NR) / (lo(t, NR) - lo(l, NR)), lo(c, NR) / (lo(x, NR) - lo(l, NR))
    printf "peak working set:       %.1f-%.1f MiB, %.1f-%.1f MiB above the welcome page\n", lo(p, NR), hi(p, NR), lo(grow, NR), hi(grow, NR)
  }'
echo "ratio = installer time / bare time: below 1 the installer is faster."
