#!/bin/sh
# wine-session.sh start|stop BUILD_DIR
# start: makes the prefix on first use, keeps one wineserver running and starts Wine's
# background services outside ctest (a service started by a test would hold ctest's output
# pipe open and ctest would wait forever). stop: ends them.
set -e
build_dir=$(cd "$2" && pwd)
. "$(dirname "$0")/wine-env.sh"
case "$1" in
start)
    if [ ! -f "$WINEPREFIX/.unbank-ready" ]; then
        "$WINELOADER" wineboot -i >/dev/null 2>&1 </dev/null
        # Without a window manager, hiding and restoring a window stalls on Wine's timeouts.
        "$WINELOADER" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f \
            >/dev/null 2>&1 </dev/null
        touch "$WINEPREFIX/.unbank-ready"
    fi
    # A server left from an earlier run would refuse the persistent one and exit later.
    wineserver -k 2>/dev/null || true
    wineserver -w
    wineserver -p
    "$WINELOADER" cmd /c exit >/dev/null 2>&1 </dev/null
    ;;
stop)
    wineserver -k || true
    ;;
*)
    echo "usage: $0 start|stop BUILD_DIR" >&2
    exit 64
    ;;
esac
