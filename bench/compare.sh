#!/bin/bash
# Extracts the largest bank the sampler can address, side by side with ffmpeg turning the same
# number of IMA ADPCM samples into PCM and with cp of a file as large as the WAV output, in
# alternating runs. Prints each median, the two ratios and the peak memory of unbank.
#
#   bench/compare.sh [BIN_FOLDER [WORK_FOLDER]]     PAIRS=n sets the number of runs (7)
#
# BEFORE=FOLDER adds the unbank in FOLDER to every round, so that two builds are compared
# under the same load.
#
# WINDOWS="BUILD..." (default build/win64, where it has been built): in every round each Windows
# build's unbank.exe extracts eight copies of the bank in one run under Wine, beside the native
# unbank on the same eight; Wine's start-up, the time of an unbank.exe --version run, is taken
# off. The goal is 1.5 times the native time.
set -euo pipefail

BIN=$(realpath "${1:-build/native/bin}")
WORK=${2:-build/native/compare}
PAIRS=${PAIRS:-7}
BEFORE=${BEFORE:+$(realpath "$BEFORE")}
SESSION=$(realpath "$(dirname "$0")/../cmake/wine-session.sh")
WINE_RUN=$(dirname "$SESSION")/wine-run.sh
BUILDS=() NAMES=()
for build in ${WINDOWS-build/win64}; do
    if [ -x "$build/bin/unbank.exe" ]; then BUILDS+=("$(realpath "$build")") NAMES+=("$build"); fi
done

# 20 mono and 10 stereo slots of 12387 blocks per channel: 495480 of the 495490 blocks that fit
# between the directory and the end of the 24-bit address space.
FRAMES=$((12387 * 32))
MONO_SLOTS=20
STEREO_SLOTS=10
TOTAL_SAMPLES=$((FRAMES * (MONO_SLOTS + 2 * STEREO_SLOTS)))

MONO_SOUNDS=(
    "sine 440" "whitenoise" "sine 40-12000" "trapezium 220" "square 110"
    "pinknoise" "triangle 880" "sine 3000-60" "brownnoise" "sawtooth 55"
)
STEREO_SOUNDS=(
    "sine 220 sine 330" "pinknoise whitenoise" "sine 100-8000 sine 8000-100"
    "exp 110 trapezium 165" "square 60 brownnoise"
)

rm -rf "$WORK" && mkdir -p "$WORK/audio" && cd "$WORK"

make_bank() {
    local args=() i
    for ((i = 0; i < MONO_SLOTS; ++i)); do
        # shellcheck disable=SC2086 # a sound is a list of sox arguments
        sox -V1 -r 32000 -c 1 -n -b 16 "audio/m$i.wav" synth "${FRAMES}s" \
            ${MONO_SOUNDS[i % ${#MONO_SOUNDS[@]}]} vol 0.$((3 + i % 5))
        args+=(--mono "$i=audio/m$i.wav")
    done
    for ((i = 0; i < STEREO_SLOTS; ++i)); do
        # shellcheck disable=SC2086
        sox -V1 -r 32000 -c 2 -n -b 16 "audio/s$i.wav" synth "${FRAMES}s" \
            ${STEREO_SOUNDS[i % ${#STEREO_SOUNDS[@]}]} vol 0.$((3 + i % 5))
        args+=(--stereo "$i=audio/s$i.wav")
    done
    "$BIN/mkbank" bank.zp4 "${args[@]}" >/dev/null
    rm -r audio
    sox -V1 -r 32000 -c 1 -n -e ima-adpcm ima.wav synth "${TOTAL_SAMPLES}s" sine 50-9000 pinknoise \
        vol 0.5
}

# Seconds taken by the command, to the microsecond.
seconds() {
    local start=$EPOCHREALTIME
    "$@"
    awk -v a="$start" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.4f\n", b - a }'
}

median() {
    sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

run_unbank() { "$BIN/unbank" -y -q -o wav bank.zp4; }
run_before() { "$BEFORE/unbank" -y -q -o before bank.zp4; }
run_ffmpeg() { ffmpeg -v error -y -i ima.wav -c:a pcm_s16le out.wav; }
run_cp() { cp floor.bin copy.bin; }
run_eight() { "$BIN/unbank" -y -q -o wav8 eight; }
run_eight_exe() { "$WINE_RUN" "$1/bin/unbank.exe" -y -q -o wav8 eight; }
run_wine_start() { "$WINE_RUN" "$1/bin/unbank.exe" --version >/dev/null; }

stop_windows() {
    local build
    for build in "${BUILDS[@]}"; do "$SESSION" stop "$build" >/dev/null 2>&1; done
}

# Each Windows build's Wine session, and the times of its runs in files named by its number.
start_windows() {
    local i
    trap stop_windows EXIT
    mkdir -p eight
    for i in 1 2 3 4 5 6 7 8; do cp bank.zp4 "eight/bank$i.zp4"; done
    : >eight.times
    for i in "${!BUILDS[@]}"; do
        "$SESSION" start "${BUILDS[i]}"
        : >"exe$i.times" && : >"start$i.times"
    done
}

# One round of the eight banks: the native program, then each Windows build and its start-up.
time_windows_round() {
    local i
    rm -rf wav8 && sync
    seconds run_eight >>eight.times
    for i in "${!BUILDS[@]}"; do
        rm -rf wav8 && sync
        seconds run_eight_exe "${BUILDS[i]}" >>"exe$i.times"
        seconds run_wine_start "${BUILDS[i]}" >>"start$i.times"
    done
    rm -rf wav8
}

print_windows() {
    local i eight exe start
    eight=$(median <eight.times)
    printf '\n| Eight copies in one run | Median wall time | Ratio to native (goal <= 1.5) |\n|---|---|---|\n'
    # shellcheck disable=SC2016 # the backquotes are the table's
    printf '| `unbank -y -q` native | %.3f s | |\n' "$eight"
    for i in "${!BUILDS[@]}"; do
        exe=$(median <"exe$i.times")
        start=$(median <"start$i.times")
        awk -v b="${NAMES[i]}" -v e="$exe" -v s="$start" -v n="$eight" 'BEGIN {
            printf "| `unbank.exe` %s under Wine, less its start-up %.3f s | %.3f s | %.2f |\n", b, s, e - s, (e - s) / n
        }'
    done
}

make_bank
run_unbank
cat wav/*.wav >floor.bin
WAV_BYTES=$(stat -c %s floor.bin)
if [ ${#BUILDS[@]} -gt 0 ]; then start_windows; fi

: >unbank.times && : >ffmpeg.times && : >cp.times && : >before.times
for ((pair = 0; pair < PAIRS; ++pair)); do
    rm -rf wav before out.wav copy.bin && sync
    seconds run_unbank >>unbank.times
    if [ -n "$BEFORE" ]; then seconds run_before >>before.times; fi
    seconds run_ffmpeg >>ffmpeg.times
    seconds run_cp >>cp.times
    if [ ${#BUILDS[@]} -gt 0 ]; then time_windows_round; fi
done
if [ -n "$BEFORE" ]; then cmp -s <(cat wav/*.wav) <(cat before/*.wav) || echo "the builds' WAV files differ"; fi
rm -rf wav before out.wav copy.bin
UNBANK_RSS=$(/usr/bin/time -f %M "$BIN/unbank" -y -q -o wav bank.zp4 2>&1 >/dev/null)
FFMPEG_RSS=$(/usr/bin/time -f %M ffmpeg -v error -y -i ima.wav -c:a pcm_s16le out.wav 2>&1)
rm -rf wav out.wav

UNBANK=$(median <unbank.times)
FFMPEG=$(median <ffmpeg.times)
CP=$(median <cp.times)
awk -v u="$UNBANK" -v f="$FFMPEG" -v c="$CP" -v ur="$UNBANK_RSS" -v fr="$FFMPEG_RSS" \
    -v n="$TOTAL_SAMPLES" -v bytes="$WAV_BYTES" -v pairs="$PAIRS" 'BEGIN {
    printf "%d samples, %.1f MB of WAV output, median of %d alternating runs\n\n", n, bytes / 1e6, pairs
    printf "| Run | Median wall time | Peak memory |\n|---|---|---|\n"
    printf "| `unbank -y -q` | %.3f s | %.1f MiB |\n", u, ur / 1024
    printf "| `ffmpeg` IMA ADPCM to PCM | %.3f s | %.1f MiB |\n", f, fr / 1024
    printf "| `cp` of the output size | %.3f s | |\n\n", c
    printf "unbank / ffmpeg: %.2f (goal <= 0.5)\n", u / f
    printf "unbank / cp:     %.2f (goal <= 3)\n", u / c
    printf "unbank memory:   %.1f MiB (goal <= 8)\n", ur / 1024
}'
if [ -n "$BEFORE" ]; then
    awk -v b="$(median <before.times)" -v c="$CP" \
        'BEGIN { printf "unbank in BEFORE: %.3f s, %.2f times cp\n", b, b / c }'
fi
if [ ${#BUILDS[@]} -gt 0 ]; then print_windows; fi
