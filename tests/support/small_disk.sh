#!/bin/sh
# small_disk.sh mount|unmount DIR: a real disk of 2 MiB for the tests of a full disk, a tmpfs
# mounted at DIR for the run. Mounting needs root; where it fails, DIR stays an ordinary folder
# and the tests that need the disk say so and skip.
case "$1" in
mount)
    mkdir -p "$2"
    while mountpoint -q "$2"; do umount "$2" || exit 1; done # left by a run cut short
    mount -t tmpfs -o size=2m tmpfs "$2" || echo "no 2 MiB disk at $2: its tests skip"
    ;;
unmount) # lazily where a program still holds the folder
    while mountpoint -q "$2"; do umount "$2" 2>/dev/null || umount -l "$2" || exit 1; done
    ;;
esac
