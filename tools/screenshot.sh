#!/bin/sh
# Takes a screenshot of Talvern under Xvfb against a fresh simulated camera folder and fresh
# settings, waits for its window and crops to it.
#   default:    the program as it opens                       (docs/screenshot-start.png)
#   --session:  connected to the monochrome camera, its list downloaded and its runs
#               coloured, as the session showcase leaves the real window
#                                                             (docs/screenshot-session.png)
# Usage: tools/screenshot.sh [--session] <build-dir> [output.png]
set -eu

session=0
if [ "${1:-}" = "--session" ]; then
    session=1
    shift
fi
if [ "$#" -lt 1 ]; then
    echo "usage: $0 [--session] <build-dir> [output.png]" >&2
    exit 2
fi
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)
if [ "$session" = 1 ]; then
    program=$build/tools/session_showcase
    output=${2:-$root/docs/screenshot-session.png}
else
    program=$build/app/talvern
    output=${2:-$root/docs/screenshot-start.png}
fi
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

# Runs inside the virtual display. When told to wait, the program first prints "ready" once
# it has brought its window to the state to be shown.
cat >"$work/shoot.sh" <<'INNER'
#!/bin/sh
set -eu
program=$1 output=$2 ready=$3 wait_ready=$4
"$program" >"$ready" 2>/dev/null &
pid=$!
stop() {
    kill "$pid" 2>/dev/null || true
    echo "$1" >&2
    exit 1
}
if [ "$wait_ready" = 1 ]; then
    for _ in $(seq 1 100); do
        grep -q '^ready$' "$ready" 2>/dev/null && break
        kill -0 "$pid" 2>/dev/null || stop "the program ended before its window was ready"
        sleep 0.1
    done
    grep -q '^ready$' "$ready" || stop "the window did not reach the state to be shown"
fi
id=""
for _ in $(seq 1 100); do
    id=$(xwininfo -root -tree 2>/dev/null | awk '/"Talvern"/ { print $1; exit }')
    [ -n "$id" ] && break
    sleep 0.1
done
[ -n "$id" ] || stop "the Talvern window did not appear"
sleep 1 # let the first paint finish
geometry=$(xwininfo -id "$id" | awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
    /Width:/ { w = $NF } /Height:/ { h = $NF } END { printf "%dx%d+%d+%d", w, h, x, y }')
import -window root -crop "$geometry" +repage "$output"
kill "$pid"
wait "$pid" 2>/dev/null || true
INNER

mkdir -p "$(dirname "$output")"
HOME="$work/home" XDG_CONFIG_HOME="$work/config" ZORVIK_SIM_HOME="$work/zorvik-sim" \
    xvfb-run -a -s "-screen 0 1024x768x24" sh "$work/shoot.sh" "$program" "$output" "$work/ready" "$session"
echo "screenshot written to $output"
