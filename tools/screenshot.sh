#!/bin/sh
# Takes a screenshot of Talvern as it opens: starts the built program under Xvfb against a
# fresh simulated camera folder and fresh settings, waits for its window and crops to it.
# Usage: tools/screenshot.sh <build-dir> [output.png]   (default docs/screenshot-start.png)
set -eu

if [ "$#" -lt 1 ]; then
    echo "usage: $0 <build-dir> [output.png]" >&2
    exit 2
fi
root=$(cd "$(dirname "$0")/.." && pwd)
program=$(cd "$1" && pwd)/app/talvern
output=${2:-$root/docs/screenshot-start.png}
case "$output" in /*) ;; *) output=$(pwd)/$output ;; esac
if [ ! -x "$program" ]; then
    echo "no program at $program: build first" >&2
    exit 1
fi
for tool in xvfb-run import convert xwininfo; do
    command -v "$tool" >/dev/null || { echo "missing tool: $tool" >&2; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM
mkdir -p "$work/home" "$work/config"

# Runs inside the virtual display.
cat >"$work/shoot.sh" <<'INNER'
#!/bin/sh
set -eu
program=$1 output=$2
"$program" &
pid=$!
id=""
for _ in $(seq 1 100); do
    id=$(xwininfo -root -tree 2>/dev/null | awk '/"Talvern"/ { print $1; exit }')
    [ -n "$id" ] && break
    sleep 0.1
done
if [ -z "$id" ]; then
    kill "$pid" 2>/dev/null || true
    echo "the Talvern window did not appear" >&2
    exit 1
fi
sleep 1 # let the first paint finish
geometry=$(xwininfo -id "$id" | awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
    /Width:/ { w = $NF } /Height:/ { h = $NF } END { printf "%dx%d+%d+%d", w, h, x, y }')
import -window root -crop "$geometry" +repage "$output"
kill "$pid"
wait "$pid" 2>/dev/null || true
INNER

mkdir -p "$(dirname "$output")"
HOME="$work/home" XDG_CONFIG_HOME="$work/config" ZORVIK_SIM_HOME="$work/zorvik-sim" \
    xvfb-run -a -s "-screen 0 1024x768x24" sh "$work/shoot.sh" "$program" "$output"
echo "screenshot written to $output"
