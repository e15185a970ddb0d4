#!/usr/bin/env bash
# A script of the README that fails says which step failed and why: the
# failed command and its exit status, or the script's own reason; never a
# bare exit status, and nothing when all went well.
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)

failures=0
# check NAME STATUS EXPECTED_LINE BODY: runs BODY as a script that tracks its
# steps with scripts/lib.sh under the name "demo-script"; its standard error
# must end with EXPECTED_LINE (empty: standard error stays empty).
check() {
  local name=$1 status=$2 expected=$3 body=$4
  local errors actual=0
  errors=$(bash -c "set -euo pipefail
source '$root/scripts/lib.sh'
gsd_track_failures demo-script
trap 'gsd_tell_failure \$?' EXIT
$body" 2>&1 >/dev/null </dev/null) || actual=$?
  if [ "$actual" -ne "$status" ] || [ "$(tail -n 1 <<<"$errors")" != "$expected" ]; then
    echo "FAIL $name: status $actual (expected $status), standard error:" >&2
    echo "$errors" >&2
    failures=$((failures + 1))
  fi
}

check command-fails 1 "demo-script: copying the offer failed: 'false' ended with exit status 1" '
gsd_step "copying the offer"
false
echo never'
check status-kept 3 "demo-script: starting the server failed: '( exit 3 )' ended with exit status 3" '
gsd_step "starting the server"
(exit 3)'
check fails-in-a-function 2 "demo-script: building failed: 'grep -q x /nonexistent 2> /dev/null' ended with exit status 2" '
builds() { grep -q x /nonexistent 2>/dev/null; echo never; }
gsd_step "building"
builds'
check fails-in-a-pipeline 1 "demo-script: counting failed: 'lines=\$(cat /nonexistent 2> /dev/null | wc -l)' ended with exit status 1" '
gsd_step "counting"
lines=$(cat /nonexistent 2>/dev/null | wc -l)'
check own-reason 1 "demo-script: the server did not start" '
gsd_step "starting the server"
gsd_fail "the server did not start"'
check tolerated-failures 0 "" '
gsd_step "looking"
grep -q x /nonexistent 2>/dev/null || true
if ! false; then :; fi
found=$(false) || found=none'
check before-any-step 1 "demo-script: a step failed: 'false' ended with exit status 1" '
false'

# run-demo itself: a build tree it is pointed at must be one, told before
# anything is built.
output=$(GSD_DEMO_BUILD=/nonexistent bash "$root/scripts/run-demo" 2>&1 </dev/null)
status=$?
if [ "$status" -ne 1 ] || ! grep -q "GSD_DEMO_BUILD names no configured build tree" <<<"$output" \
  || grep -q "== Building" <<<"$output"; then
  echo "FAIL run-demo-build-tree: status $status, output:" >&2
  echo "$output" >&2
  failures=$((failures + 1))
fi
exit $((failures > 0))
