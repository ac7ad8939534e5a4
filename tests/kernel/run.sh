#!/bin/sh
# usage: run.sh BUILD_FOLDER
# Boots Debian's kernel under QEMU and runs the rename tests of BUILD_FOLDER on the
# kernel's own exfat, vfat and msdos drivers (guest.sh). Skips, and succeeds, where this
# machine has no QEMU or kernel image or the virtual machine does not boot; fails when a
# test in the guest fails.
set -eu
build=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
skip() { echo "test-kernel SKIPPED: $*"; exit 0; }

PATH=$PATH:/usr/sbin:/sbin
kernel=$(ls /boot/vmlinuz-* 2>/dev/null | sort -V | tail -n 1) || true
[ -n "$kernel" ] || skip "no kernel image in /boot (linux-image-amd64)"
[ -r "$kernel" ] || skip "$kernel cannot be read by this user (Debian keeps it for root)"
version=${kernel#/boot/vmlinuz-}
for tool in qemu-system-x86_64 busybox modprobe cpio mkfs.exfat mkfs.vfat mkfs.msdos; do
  command -v "$tool" > /dev/null || skip "$tool is not installed"
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The initramfs: busybox, init, and the modules in the order modprobe would load them.
mkdir -p "$work/root/bin" "$work/root/modules"
cp "$(command -v busybox)" "$work/root/bin/busybox"
cp "$here/init" "$work/root/init"
for module in virtio_pci virtio_blk 9pnet_virtio 9p exfat vfat msdos nls_cp437 nls_ascii nls_utf8; do
  modprobe -S "$version" --show-depends "$module" >> "$work/insmod" 2>/dev/null || skip "no module $module for $version"
done
awk '$1 == "insmod" && !seen[$2]++ { print $2 }' "$work/insmod" > "$work/modules"
while read -r path; do
  cp "$path" "$work/root/modules/" && basename "$path" >> "$work/root/modules/order"
done < "$work/modules"
(cd "$work/root" && find . | cpio -o -H newc --quiet | gzip -1) > "$work/initrd.gz"
for driver in exfat vfat msdos; do
  truncate -s 64M "$work/$driver.img"
  "mkfs.$driver" "$work/$driver.img" > /dev/null
done

# The first argument is how long the machine may run, in seconds.
boot() {
  limit=$1; shift
  echo "test-kernel: booting $kernel with $2"
  timeout "$limit" qemu-system-x86_64 "$@" -m 1024 -smp 2 -nographic -no-reboot -kernel "$kernel" -initrd "$work/initrd.gz" \
    -append "console=ttyS0 quiet panic=-1 VELMIX_GUEST=$here/guest.sh VELMIX_BUILD=$build" \
    -fsdev local,id=hostroot,path=/,readonly=on,security_model=none,multidevs=remap \
    -device virtio-9p-pci,fsdev=hostroot,mount_tag=hostroot \
    -drive file="$work/exfat.img",format=raw,if=virtio \
    -drive file="$work/vfat.img",format=raw,if=virtio \
    -drive file="$work/msdos.img",format=raw,if=virtio < /dev/null > "$work/console" 2>&1 || true
}
start=$(date +%s)
# KVM where it works (here it fails at once with an MSR error, or hangs, so its run is
# cut short: with KVM the whole run takes seconds); else QEMU emulates the CPU.
if [ -w /dev/kvm ]; then
  boot 120 -accel kvm -cpu host
  grep -q 'velmix-kernel: booted' "$work/console" ||
    echo "test-kernel: KVM does not work here: $(grep -m 1 -i error "$work/console")"
fi
grep -q 'velmix-kernel: booted' "$work/console" 2>/dev/null || boot 900 -accel tcg
tr -d '\r' < "$work/console" | sed -n 's/.*\(velmix-kernel: booted\)/\1/; /velmix-kernel: booted/,$p'
grep -q 'velmix-kernel: booted' "$work/console" || {
  tail -n 20 "$work/console"
  skip "the virtual machine did not boot"
}
echo "test-kernel: $(($(date +%s) - start)) s from the start of the virtual machine to its end"
grep -q 'velmix-kernel: 0 failed' "$work/console"
