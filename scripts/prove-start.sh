#!/usr/bin/env bash
# Proves that the README's run command starts the program as a newcomer would start it: from this
# checkout, with a home folder of its own and nothing in the environment that says otherwise, on
# a virtual X display. The first start records the settings, shows the main window and asks
# whether to create a database, and waits; the proof then checks that the settings file was
# recorded and that the program is still up, its window shown, some seconds later, and ends it.
# Fails with a message (exit code 1) when the program did not start or did not stay up.
#
# PROVE_START_TIMEOUT: seconds the command may take to build and show its window (default 1200).
# PROVE_START_STAY: seconds the program must then stay up (default 5).
set -euo pipefail
cd "$(dirname "$0")/.."
timeout_s="${PROVE_START_TIMEOUT:-1200}"
stay_s="${PROVE_START_STAY:-5}"

fail() {
  echo "prove-start: FAILED: $*" >&2
  if [ -s "${log:-}" ]; then
    echo "prove-start: last lines of the command:" >&2
    tail -n 30 "$log" | sed 's/^/    /' >&2
  fi
  exit 1
}

# The command of the README's "Run it" section: the first line of its first code block.
command="$(awk '/^## /{inside = ($0 ~ /^## Run it/)} inside && /^```/{if (block) exit; block = 1; next}
                inside && block && NF {print; exit}' README.md)"
[ -n "$command" ] || fail "README.md has no command in its \"Run it\" section"

work="$(mktemp -d)"
home="$work/home"
log="$work/run.log"
mkdir -p "$home"
chmod 755 "$work"
xvfb=""
program=""
cleanup() {
  # Ends what this script started, each by its id: the command's session, then the display.
  if [ -n "$program" ] && kill -0 "$program" 2> /dev/null; then
    kill -TERM -- "-$program" 2> /dev/null || true
    for _ in $(seq 50); do kill -0 "$program" 2> /dev/null || break; sleep 0.1; done
    kill -KILL -- "-$program" 2> /dev/null || true
    wait "$program" 2> /dev/null || true
  fi
  if [ -n "$xvfb" ]; then
    kill -TERM "$xvfb" 2> /dev/null || true
    wait "$xvfb" 2> /dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

# A display of its own: Xvfb picks a free number and writes it to the descriptor.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3> "$work/display" 2> "$work/xvfb.log" &
xvfb=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { cat "$work/xvfb.log" >&2; fail "Xvfb did not start"; }
display=":$(head -n 1 "$work/display")"

# The command in a session of its own, so that all it starts can be ended together. As a newcomer
# starts it: their own home, no settings file named, no platform forced.
echo "prove-start: $command (HOME=$home, DISPLAY=$display)"
env -u QT_QPA_PLATFORM -u QUENDO_SETTINGS -u XDG_CONFIG_HOME HOME="$home" DISPLAY="$display" setsid bash -c "$command" < /dev/null > "$log" 2>&1 &
program=$!
# setsid makes the command the leader of a new session whose id is its process id.
session() { ps -o sid= -p "$1" 2> /dev/null | tr -d ' '; }
for _ in $(seq 50); do
  [ "$(session "$program")" = "$program" ] || ! kill -0 "$program" 2> /dev/null && break
  sleep 0.1
done
if kill -0 "$program" 2> /dev/null && [ "$(session "$program")" != "$program" ]; then
  fail "the run command did not get a session of its own"
fi
settings="$home/.config/quendo/quendo.ini"

# The shown top-level windows of the command's session whose title begins with "Quendo", one line
# each: "ID TITLE".
windows() {
  local id title pid
  DISPLAY="$display" xwininfo -root -tree 2> /dev/null |
    sed -n 's/^ *\(0x[0-9a-f]*\) "\(Quendo.*\)": (.*/\1 \2/p' |
    while read -r id title; do
      DISPLAY="$display" xwininfo -id "$id" 2> /dev/null | grep -q 'Map State: IsViewable' || continue
      pid="$(DISPLAY="$display" xprop -id "$id" _NET_WM_PID 2> /dev/null | sed -n 's/.* = \([0-9]*\)$/\1/p')"
      [ -n "$pid" ] && [ "$(session "$pid")" = "$program" ] || continue
      echo "$id $title"
    done
}
main_window() { windows | grep -m 1 '^0x[0-9a-f]* Quendo - ' || true; }

started=$(date +%s)
until [ -n "$(main_window)" ]; do
  if ! kill -0 "$program" 2> /dev/null; then
    code=0
    wait "$program" || code=$?
    program=""
    fail "the run command ended (exit code $code) before the program showed its main window"
  fi
  if (($(date +%s) - started > timeout_s)); then
    fail "no main window of Quendo after ${timeout_s}s"
  fi
  sleep 2
done
echo "prove-start: main window after $(($(date +%s) - started))s: $(main_window)"

[ -f "$settings" ] || fail "the first start recorded no settings file ($settings)"
grep -q "^Directory=$home/Quendo\$" "$settings" || fail "the settings file does not name ~/Quendo as Directory: $(cat "$settings")"
[ -d "$home/Quendo" ] || fail "the data folder ~/Quendo was not made"

sleep "$stay_s"
kill -0 "$program" 2> /dev/null || fail "the program ended within ${stay_s}s of showing its window"
[ -n "$(main_window)" ] || fail "the main window was no longer shown after ${stay_s}s"
echo "prove-start: still up after ${stay_s}s, with these windows:"
windows | sed 's/^/    /'
echo "prove-start: OK: the README's run command started Quendo and it stayed up"
