#!/usr/bin/env bash
# Records the sample device's sounds through SDL's disk driver
# (bench/sound_tour: three key presses, route setting, a synchronous data
# forward sound, two announcements), prints what it measured, and checks the
# recording's length and loudness with sox. The recording is kept as
# $OUT (default /tmp/ferrotab_sound_tour.wav) to be listened to.
set -euo pipefail
build=${1:-build}
out=${OUT:-/tmp/ferrotab_sound_tour.wav}
tour="$build/bench/sound_tour"
[ -x "$tour" ] || { echo "build $tour first" >&2; exit 1; }
raw=$(mktemp --suffix=.raw)
trap 'rm -f "$raw"' EXIT
QT_QPA_PLATFORM=offscreen "$tour" "$build/data/sample" "$raw" 2> >(grep -v -e CRITICAL -e XDG_RUNTIME >&2)
sox -t raw -r 44100 -e signed -b 16 -c 2 "$raw" "$out"
echo
echo "sox, the whole recording ($out):"
sox "$out" -n stat 2>&1 | grep -E "Length|Maximum amplitude|RMS +amplitude"
