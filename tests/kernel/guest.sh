#!/bin/sh
# Runs inside the virtual machine, on the host's root (read-only): mounts the disks with the
# kernel's exfat, vfat and msdos drivers in a scratch folder of the guest's own, runs the
# rename tests of the build folder on them, prints the result for the host and powers off.
# The scratch folder is a tmpfs on /run, not on /tmp: a checkout under the host's /tmp
# must stay in sight.
mount -t proc proc /proc
mount -t sysfs sys /sys
mount -t devtmpfs dev /dev
scratch=/run
mount -t tmpfs scratch "$scratch"
echo "velmix-kernel: booted after $(cut -d' ' -f1 /proc/uptime) s"
media= failed=0
for pair in exfat:vda vfat:vdb msdos:vdc; do
  driver=${pair%:*} disk=/dev/${pair#*:}
  if mkdir "$scratch/$driver" && mount -t "$driver" "$disk" "$scratch/$driver"; then
    media="$media;kernel $driver=$scratch/$driver"
    grep " $scratch/$driver " /proc/mounts
  else
    echo "velmix-kernel: cannot mount $disk with the kernel's $driver driver"
    failed=$((failed + 1))
  fi
done
mkdir "$scratch/tmp" "$scratch/state"
export VELMIX_TEST_MEDIA="${media#;}" QT_QPA_PLATFORM=offscreen HOME="$scratch" TMPDIR="$scratch/tmp" \
  XDG_STATE_HOME="$scratch/state"
for test in tst_rename_media tst_rename_random; do
  "$VELMIX_BUILD/tests/$test" || failed=$((failed + 1))
done
echo "velmix-kernel: $failed failed after $(cut -d' ' -f1 /proc/uptime) s"
umount "$scratch/exfat" "$scratch/vfat" "$scratch/msdos" 2>/dev/null
echo o > /proc/sysrq-trigger
sleep 10 # the power-off comes from the kernel; this script must not end first
