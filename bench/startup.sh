#!/usr/bin/env bash
# Time from process start to both windows shown, and resident memory then:
# the median of several runs of bench/startup_probe on the offscreen platform
# (or on the X display in $DISPLAY when FERROTAB_BENCH_X=1).
set -euo pipefail
build=${1:-build}
runs=${RUNS:-9}
probe="$build/bench/startup_probe"
[ -x "$probe" ] || { echo "build $probe first" >&2; exit 1; }
[ "${FERROTAB_BENCH_X:-0}" = 1 ] || export QT_QPA_PLATFORM=offscreen
times=(); rss=()
for _ in $(seq "$runs"); do
  out=$("$probe" 2>/dev/null)
  times+=("$(awk '/shown_after_ms/ {print $2}' <<<"$out")")
  rss+=("$(awk '/rss_kib/ {print $2}' <<<"$out")")
done
median() { printf '%s\n' "$@" | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
echo "runs: $runs"
echo "start to both windows shown, median: $(median "${times[@]}") ms"
echo "resident memory after start, median: $(median "${rss[@]}") KiB"
