#!/bin/sh
# small_disk.sh mount|unmount DIR
# A real disk of 2 MiB for the tests of a full disk: a tmpfs mounted at DIR for the whole run.
# Mounting needs root; where it fails, DIR stays an ordinary folder and the tests that need the
# disk say so and skip.
set -u
mode=$1 dir=$2
case "$mode" in
mount)
    mkdir -p "$dir"
    while mountpoint -q "$dir"; do umount "$dir" || exit 1; done # left by a run cut short
    mount -t tmpfs -o size=2m tmpfs "$dir" || echo "no 2 MiB disk at $dir: its tests skip"
    ;;
unmount) # lazily where a program still holds the folder
    while mountpoint -q "$dir"; do umount "$dir" 2>/dev/null || umount -l "$dir" || exit 1; done
    ;;
esac
