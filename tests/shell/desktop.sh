#!/bin/sh
# desktop.sh start|stop BUILD_DIR: keeps Wine's desktop up for the whole run through
# desktop_keeper.exe, started in the background away from the test runner's output.
run="$(cd "$(dirname "$0")/../../cmake" && pwd)/wine-run.sh"
cd "$2" || exit 1
if [ "$1" = stop ]; then
    kill "$(cat desktop-keeper.pid)" 2>/dev/null
    rm -f desktop-keeper.pid desktop-keeper.ready
    exit 0
fi
# A window program started in the first seconds of a fresh Wine session gets no window, nor
# does the next one while the desktop it brought up is there: let that go, and try again.
for _ in $(seq 10); do
    rm -f desktop-keeper.ready
    "$run" bin/desktop_keeper.exe desktop-keeper.ready >/dev/null 2>&1 </dev/null &
    echo $! >desktop-keeper.pid
    for _ in $(seq 300); do
        [ -f desktop-keeper.ready ] && exit 0
        kill -0 $! 2>/dev/null || break
        sleep 0.1
    done
    sleep 3
done
echo "the Wine desktop did not come up" >&2
exit 1
