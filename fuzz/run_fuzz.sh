#!/bin/sh
# run_fuzz.sh TARGET CORPUS SEEDS: fuzzes for FUZZ_SECONDS (15 by default) and prints the
# number of executions. New inputs go to CORPUS; a finding is written beside it and fails.
set -e
target=$1 corpus=$2 seeds=$3
mkdir -p "$corpus" "$corpus.findings"
# Output folders of the job target go to memory when it can.
[ -d /dev/shm ] && export TMPDIR=/dev/shm
exec "$target" -max_total_time="${FUZZ_SECONDS:-15}" -timeout=60 -print_final_stats=1 \
  -artifact_prefix="$corpus.findings/" "$corpus" "$seeds"
