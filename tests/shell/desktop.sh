#!/bin/sh
# desktop.sh start|stop BUILD_DIR
# start: runs desktop_keeper.exe in the background, detached from the test runner's output,
# and waits until Wine's desktop is up. stop: ends it.
set -e
build_dir=$(cd "$2" && pwd)
pid_file="$build_dir/desktop-keeper.pid"
ready_file="$build_dir/desktop-keeper.ready"
keeper="$build_dir/bin/desktop_keeper.exe"
run="$(cd "$(dirname "$0")/../../cmake" && pwd)/wine-run.sh"

# Starts the keeper; true once its window exists, false if it ended without one.
start_keeper() {
    rm -f "$ready_file"
    (cd "$build_dir" && exec "$run" "$keeper" desktop-keeper.ready) >/dev/null 2>&1 </dev/null &
    echo $! >"$pid_file"
    tenths=0
    while [ $tenths -lt 300 ]; do
        [ -f "$ready_file" ] && return 0
        kill -0 "$(cat "$pid_file")" 2>/dev/null || return 1
        sleep 0.1
        tenths=$((tenths + 1))
    done
    return 1
}

case "$1" in
start)
    # A window program started in the first seconds of a fresh Wine session gets no window,
    # and neither does the next one while the desktop it brought up is still there: pause
    # long enough for that desktop to go before trying again.
    attempt=0
    while [ $attempt -lt 10 ]; do
        start_keeper && exit 0
        sleep 3
        attempt=$((attempt + 1))
    done
    echo "the Wine desktop did not come up" >&2
    exit 1
    ;;
stop)
    if [ -f "$pid_file" ]; then
        kill "$(cat "$pid_file")" 2>/dev/null || true
        rm -f "$pid_file" "$ready_file"
    fi
    ;;
*)
    echo "usage: $0 start|stop BUILD_DIR" >&2
    exit 64
    ;;
esac
