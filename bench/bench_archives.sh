# Sourced by the benchmarks: makes the two larger RAR5 archives of the benchmarks from files of
# this machine, with bench/rar5_pack.cpp, a plain compressor: C headers (text) and shared
# libraries (x86-64 code). An archive is kept only when bsdtar and the reference unrar
# (tests/peers, node-unrar-js) both extract exactly the packed bytes.
# make_bench_archives <folder>: fills the array bench_archives with the paths of those kept.
make_bench_archives() {
  local data="$1" name
  bench_archives=()
  mkdir -p "$data"
  [ -x "$data/rar5_pack" ] && [ "$data/rar5_pack" -nt bench/rar5_pack.cpp ] ||
    g++ -std=c++17 -O2 -o "$data/rar5_pack" bench/rar5_pack.cpp
  for name in headers libraries; do
    if [ ! -f "$data/$name.rar" ]; then
      case "$name" in
        headers) find /usr/include -name "*.h" -type f | sort | xargs cat | head -c 20000000 ;;
        libraries) find "/usr/lib/$(gcc -dumpmachine)" -maxdepth 1 -name '*.so*' -type f | sort |
          xargs cat | head -c 24000000 ;;
      esac >"$data/$name.bin" 2>/dev/null || true
      "$data/rar5_pack" "$data/$name.rar.tmp" "$data/$name.bin" "$name.bin"
      local peer_dir="$data/$name.peer"
      rm -rf "$peer_dir" && mkdir -p "$peer_dir"
      if bsdtar -xOf "$data/$name.rar.tmp" 2>/dev/null | cmp -s - "$data/$name.bin" &&
        node tests/peers/unrar-extract.js "$data/$name.rar.tmp" "$peer_dir" >/dev/null 2>&1 &&
        cmp -s "$peer_dir/$name.bin" "$data/$name.bin"; then
        mv "$data/$name.rar.tmp" "$data/$name.rar"
      else
        echo "made $name.rar is not read the same by bsdtar and the reference unrar: left out" >&2
      fi
      rm -rf "$peer_dir" "$data/$name.rar.tmp"
    fi
    [ -f "$data/$name.rar" ] && bench_archives+=("$(cd "$data" && pwd)/$name.rar")
  done
  return 0
}
