#!/bin/sh
# wine-probe.sh: exits 0 when this machine runs the 32-bit Windows build's programs (32-bit
# Wine installed, 32-bit programs allowed by the kernel); otherwise prints why not and exits 1.
loader=/usr/lib/wine/wine
if [ ! -x "$loader" ]; then
    echo "32-bit Wine is not installed ($loader is missing; make deps installs wine32:i386)"
    exit 1
fi
if ! reason=$(timeout 60 "$loader" --version 2>&1); then
    echo "this machine does not run 32-bit programs ($loader: $reason)"
    exit 1
fi
