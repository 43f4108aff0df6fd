#!/bin/sh
# Runs a Windows program of the build under Wine: wine-run.sh PROGRAM.exe ARGS...
set -e
bin_dir=$(cd "$(dirname "$1")" && pwd)
build_dir=$(dirname "$bin_dir")
. "$(dirname "$0")/wine-env.sh"
exec "$WINELOADER" "$@"
