#!/usr/bin/env bash
# run-demo's command line: help and wrong arguments are answered at once,
# before any package check or build, with the exit status a caller can test.
set -uo pipefail
run_demo=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)/scripts/run-demo

failures=0
# check NAME STATUS PATTERN ENV_AND_ARGS...: the output (standard output and
# error together) must match PATTERN and mention no build.
check() {
  local name=$1 status=$2 pattern=$3
  shift 3
  local output actual=0
  output=$(env "$@" 2>&1 </dev/null) || actual=$?
  if [ "$actual" -ne "$status" ] || ! grep -q -- "$pattern" <<<"$output" || grep -q "== Building" <<<"$output"; then
    echo "FAIL $name: status $actual (expected $status), output:" >&2
    echo "$output" >&2
    failures=$((failures + 1))
  fi
}

check help 0 "--fresh" bash "$run_demo" --help
check unknown-argument 2 "unknown argument '--frsh'" bash "$run_demo" --frsh
check unknown-after-known 2 "unknown argument 'x'" bash "$run_demo" --fresh x
check unknown-architecture 2 "GSD_ARCH must be" GSD_ARCH=arm bash "$run_demo"
exit $((failures > 0))
