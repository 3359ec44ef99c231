#!/usr/bin/env bash
# Checks the unit files of contrib/systemd with systemd-analyze verify, as
# they stand, against a stand-in root where tq820ctl and its manual page are
# installed where the package puts them (/usr/bin, /usr/share/man).
# Usage: verify-systemd-units.sh TQ820CTL MANPAGE UNIT...
set -euo pipefail
ctl=$1 man=$2
shift 2
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
mkdir -p "$root/usr/bin" "$root/bin" "$root/usr/share/man/man1" "$root/etc/systemd/system" \
  "$root/usr/lib/systemd"
cp "$ctl" "$root/usr/bin/tq820ctl"
cp "$man" "$root/usr/share/man/man1/"
# The other commands the units run, and the system's own units they refer to.
cp "$(command -v mkdir)" "$(command -v systemctl)" "$root/usr/bin/"
cp "$(command -v sh)" "$root/bin/"
cp -r /usr/lib/systemd/system "$root/usr/lib/systemd/"
names=()
for unit in "$@"; do
  cp "$unit" "$root/etc/systemd/system/"
  names+=("/etc/systemd/system/$(basename "$unit")")
done
MANPATH="$root/usr/share/man" systemd-analyze verify --root="$root" "${names[@]}"
echo "verified: ${names[*]}"
