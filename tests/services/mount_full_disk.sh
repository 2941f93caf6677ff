#!/bin/sh
# Mounts (or unmounts with "-u") the 256 KB file system of the full-disk tests at the folder
# given. It needs root; without it the folder stays ordinary and those tests skip.
if [ "$1" = "-u" ]; then
  mountpoint -q "$2" 2>/dev/null && umount "$2" 2>/dev/null
  exit 0
fi
mkdir -p "$1"
mountpoint -q "$1" 2>/dev/null || mount -t tmpfs -o size=256k tmpfs "$1" 2>/dev/null
exit 0
