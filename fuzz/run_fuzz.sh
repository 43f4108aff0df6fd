#!/bin/sh
# run_fuzz.sh TARGET CORPUS SEEDS: fuzzes for FUZZ_SECONDS (15 by default) and prints how
# many inputs ran. New inputs go to CORPUS, libFuzzer's log to CORPUS.log, and a finding
# into CORPUS.findings/, which fails the run and prints the log's end.
target=$1 corpus=$2 seeds=$3
mkdir -p "$corpus" "$corpus.findings" || exit 1
# The job target's output folders go to memory when it can.
if [ -d /dev/shm ]; then export TMPDIR=/dev/shm; fi
"$target" -max_total_time="${FUZZ_SECONDS:-15}" -timeout=60 -print_final_stats=1 \
  -artifact_prefix="$corpus.findings/" "$corpus" "$seeds" >"$corpus.log" 2>&1
status=$?
grep -E '^stat::(number_of_executed_units|average_exec_per_sec)' "$corpus.log" |
  sed "s|^stat::|$(basename "$target") |"
if [ $status -ne 0 ]; then tail -n 40 "$corpus.log"; fi
exit $status
