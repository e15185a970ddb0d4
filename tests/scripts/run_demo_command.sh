#!/usr/bin/env bash
# "bash scripts/run-demo --fresh" as a user types it, from a copy of the
# repository below a folder named in Cyrillic letters with a space: once on a
# display of the user's (an Xvfb started here, the path users with a desktop
# take) and once without one. Each time the main dialog must show (asked of
# the live window in the demo's prefix); on the display it is closed as a
# player closes it; and the demo must end with exit status 0 and print this
# run's support-log lines.
#
#   run_demo_command.sh SOURCE_DIR BUILD_TREE x64|x86
#
# The copy runs the programs of BUILD_TREE (GSD_DEMO_BUILD), so nothing is
# built twice; run-demo still builds what it uses there. The system's code
# page is English, which cannot spell the folder's name.
set -uo pipefail
source_dir=$1
build_tree=$2
arch=$3
# The main dialog's title as the demo's language file gives it.
caption="Rubbleton: Gravelpit Secure Download"
export LC_ALL=C.UTF-8
unset WINEPREFIX GSD_WINE_STATE GSD_USE_DISPLAY

scratch=$(mktemp -d)
copy="$scratch/Проба демо/Secure Download"
case "$arch" in
  x86) demo_state=$copy/build/demo-x86/wine-state ;;
  *) demo_state=$copy/build/demo/wine-state ;;
esac
demo_window="$build_tree/bin/demo_window.exe"
xvfb=
demo=
failures=0

clean_up() {
  if [ -n "$demo" ] && kill -0 "$demo" 2>/dev/null; then
    kill "$demo" 2>/dev/null
    wait "$demo" 2>/dev/null
  fi
  if [ -d "$demo_state" ]; then
    GSD_WINE_STATE=$demo_state "$copy/tests/wine/wine-run" --cleanup
  fi
  if [ -n "$xvfb" ]; then
    kill "$xvfb" 2>/dev/null
    wait "$xvfb" 2>/dev/null
  fi
  rm -rf "$scratch"
}
trap clean_up EXIT

run_failures=0
fail() {
  echo "FAIL $*" >&2
  failures=$((failures + 1))
  run_failures=$((run_failures + 1))
}

# The sources only: no build trees, no Git data.
mkdir -p "$copy"
tar -C "$source_dir" --exclude=./build --exclude=./.git -cf - . | tar -C "$copy" -xf - || {
  echo "FAIL copying $source_dir to $copy" >&2
  exit 1
}

# waits_for SECONDS FILE PATTERN: until FILE has a line matching PATTERN.
waits_for() {
  local seconds=$1 file=$2 pattern=$3
  for _ in $(seq 1 $((seconds * 10))); do
    grep -q -- "$pattern" "$file" 2>/dev/null && return 0
    sleep 0.1
  done
  return 1
}

# runs_the_demo NAME CLOSE: runs the demo with the environment as it is;
# CLOSE is --close to close the main dialog, or empty when the demo ends by
# itself.
runs_the_demo() {
  local name=$1 close=$2
  local output=$scratch/$name.out window_output=$scratch/$name.window status window_status started
  started=$SECONDS
  run_failures=0
  (cd "$copy" && exec env GSD_DEMO_BUILD="$build_tree" GSD_ARCH="$arch" bash scripts/run-demo --fresh) \
    >"$output" 2>&1 </dev/null &
  demo=$!
  # From here the demo's prefix and display exist and the program is about
  # to start.
  if ! waits_for 600 "$output" "== Starting the reference download server"; then
    fail "$name: the demo did not reach the start of its server within 600 s"
    kill "$demo" 2>/dev/null
  else
    GSD_WINE_STATE=$demo_state GSD_USE_DISPLAY=${DISPLAY:-} \
      "$copy/tests/wine/wine-run" "$demo_window" "$caption" $close --seconds 180 >"$window_output" 2>&1
    window_status=$?
    if [ "$window_status" -ne 0 ]; then
      fail "$name: demo_window${close:+ $close} ended with exit status $window_status"
      cat "$window_output" >&2
      # A demo that has failed by itself gets the time to say why.
      for _ in $(seq 1 300); do
        kill -0 "$demo" 2>/dev/null || break
        sleep 0.1
      done
      kill "$demo" 2>/dev/null
    fi
  fi
  local status=0
  wait "$demo" || status=$?
  demo=
  if [ "$status" -ne 0 ]; then
    fail "$name: the demo ended with exit status $status"
  fi
  if ! grep -A1 "== The support log of this run" "$output" | grep -q "^   "; then
    fail "$name: the demo printed no support-log lines of its run"
  fi
  if [ -n "$close" ] && ! grep -q "closed by the player" "$output"; then
    fail "$name: the run's support log does not end with the player's close"
  fi
  echo "== $name: $((SECONDS - started)) s"
  if [ "$run_failures" -gt 0 ]; then
    echo "-- the demo's output:" >&2
    cat "$output" >&2
  fi
}

# With a display of the user's.
mkfifo "$scratch/displayfd"
setsid Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$scratch/displayfd" </dev/null >/dev/null 2>&1 &
xvfb=$!
read -r number <"$scratch/displayfd"
DISPLAY=:$number runs_the_demo with-display --close

# Without one.
unset DISPLAY
runs_the_demo without-display ""

exit $((failures > 0))
