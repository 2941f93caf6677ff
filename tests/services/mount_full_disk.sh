#!/bin/sh
# Mounts a 256 KB file system at the folder given (with "-r": an empty read-only one), or
# unmounts it with "-u". It needs root; without it the folder stays ordinary and the tests that
# need the file system skip.
case "$1" in
-u)
  mountpoint -q "$2" 2>/dev/null && umount "$2" 2>/dev/null
  exit 0
  ;;
-r)
  options=ro,size=64k
  shift
  ;;
*) options=size=256k ;;
esac
mkdir -p "$1"
mountpoint -q "$1" 2>/dev/null || mount -t tmpfs -o "$options" tmpfs "$1" 2>/dev/null
exit 0
