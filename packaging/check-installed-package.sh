#!/usr/bin/env bash
# Installs the .deb with dpkg, starts the installed program on an X server of its own, waits
# for its window, and removes the package again, whatever happened in between.
# Usage: check-installed-package.sh velmix_<version>_<arch>.deb   (as root, or with sudo)
set -euo pipefail

package=$(realpath "$1")
sudo=$([ "$(id -u)" = 0 ] || echo sudo)

if dpkg-query -W -f='${Status}' velmix 2>/dev/null | grep -q 'ok installed'; then
  echo "velmix is already installed here; remove it first, this check would remove it afterwards." >&2
  exit 1
fi

folder=$(mktemp -d)
server_pid=
program_pid=

clean_up() {
  [ -z "$program_pid" ] || kill "$program_pid" 2>/dev/null || true
  [ -z "$server_pid" ] || kill "$server_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$folder"
  if dpkg-query -W -f='${Status}' velmix 2>/dev/null | grep -q 'ok installed'; then
    $sudo dpkg --purge velmix > /dev/null
  fi
}
trap clean_up EXIT

$sudo dpkg -i "$package"
[ "$(command -v velmix)" = /usr/bin/velmix ] || { echo "velmix is not on the PATH as /usr/bin/velmix." >&2; exit 1; }
for file in /usr/share/velmix/help/help.html /usr/share/applications/io.github.velmix.Velmix.desktop \
            /usr/share/metainfo/io.github.velmix.Velmix.metainfo.xml \
            /usr/share/icons/hicolor/256x256/apps/io.github.velmix.Velmix.png; do
  [ -f "$file" ] || { echo "Not installed: $file" >&2; exit 1; }
done

# The server picks a free display itself and names it once it takes connections.
Xvfb -displayfd 1 -screen 0 800x700x24 -nolisten tcp > "$folder/display" & server_pid=$!
for _ in $(seq 100); do [ -s "$folder/display" ] && break; sleep 0.1; done
[ -s "$folder/display" ] || { echo "Xvfb did not start." >&2; exit 1; }
display=:$(cat "$folder/display")
mkdir "$folder/files" && touch "$folder/files/sample file.txt"
(cd "$folder/files" && DISPLAY=$display QT_QPA_PLATFORM=xcb exec /usr/bin/velmix) & program_pid=$!

if ! window=$(DISPLAY=$display timeout 20 xdotool search --sync --onlyvisible --name "Velmix V2.0"); then
  echo "The installed program showed no window." >&2
  exit 1
fi
echo "The installed program shows its window (X window $window)."

kill "$program_pid" || { echo "The installed program stopped by itself." >&2; exit 1; }
wait "$program_pid" 2>/dev/null || true
program_pid=
$sudo dpkg --purge velmix
if [ -e /usr/bin/velmix ] || [ -e /usr/share/velmix ]; then
  echo "Files were left behind after removal." >&2
  exit 1
fi
echo "Installed, started and removed cleanly: $(basename "$package")"
