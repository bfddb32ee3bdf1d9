#!/bin/sh
# Installs the built package into a throwaway root and runs its programs there, on a camera
# folder and a home of their own.
# Usage: tools/check-package.sh <package.deb>
set -eu
if [ "$#" -ne 1 ]; then
    echo "usage: $0 <package.deb>" >&2
    exit 2
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM
dpkg -x "$1" "$work/root"
run() {
    HOME="$work/home" XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config" ZORVIK_SIM_HOME="$work/cameras" \
        QT_QPA_PLATFORM=offscreen "$work/root/usr/bin/$@"
}
run zorvik-sim list | grep -q '^40211001 '
run talvern-cli cameras | grep -q '^Cameras attached: 4$'
run talvern-cli show 40211001 | grep -q '^Serial number: 40211001$'
echo "The package's talvern-cli and zorvik-sim run from $1"
