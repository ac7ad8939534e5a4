#!/bin/sh
# Runs inside the virtual machine, on the host's root (read-only): mounts the disks with the
# kernel's exfat, vfat and msdos drivers on the guest's own /tmp, runs the rename tests of
# the build folder on them, prints the result for the host and powers off.
mount -t proc proc /proc
mount -t sysfs sys /sys
mount -t devtmpfs dev /dev
mount -t tmpfs tmp /tmp
echo "velmix-kernel: booted after $(cut -d' ' -f1 /proc/uptime) s"
media= failed=0
for pair in exfat:vda vfat:vdb msdos:vdc; do
  driver=${pair%:*} disk=/dev/${pair#*:}
  if mkdir "/tmp/$driver" && mount -t "$driver" "$disk" "/tmp/$driver"; then
    media="$media;kernel $driver=/tmp/$driver"
    grep " /tmp/$driver " /proc/mounts
  else
    echo "velmix-kernel: cannot mount $disk with the kernel's $driver driver"
    failed=$((failed + 1))
  fi
done
export VELMIX_TEST_MEDIA="${media#;}" QT_QPA_PLATFORM=offscreen HOME=/tmp
for test in tst_rename_media tst_rename_random; do
  "$VELMIX_BUILD/tests/$test" || failed=$((failed + 1))
done
echo "velmix-kernel: $failed failed after $(cut -d' ' -f1 /proc/uptime) s"
umount /tmp/exfat /tmp/vfat /tmp/msdos 2>/dev/null
echo o > /proc/sysrq-trigger
sleep 10 # the power-off comes from the kernel; this script must not end first
