#!/bin/sh
# Unmounts whatever the rename tests left mounted under the folder given (a test that was
# killed cannot unmount its images itself), frees the loop devices of its images, and
# removes the folder.
root=$1
[ -d "$root" ] || exit 0
grep -F " $root/" /proc/self/mounts | cut -d' ' -f2 | sort -r | while read -r point; do
  umount "$point" 2>/dev/null || umount -l "$point"
done
find "$root" -name image -type f | while read -r image; do
  losetup -j "$image" 2>/dev/null | cut -d: -f1 | while read -r device; do losetup -d "$device"; done
done
rm -rf "$root"
