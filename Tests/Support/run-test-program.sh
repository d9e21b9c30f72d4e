#!/bin/sh
# Runs a GoogleTest program under Wine (cmake/wine-run.sh, same arguments) and passes only when it
# exits with 0 and GoogleTest's summary says that its tests ran: Wine ends a program that calls a
# function it lacks with an exit code whose low byte is 0, which the shell takes for success.
output=$(mktemp)
trap 'rm -f "$output"' EXIT
"$(dirname "$0")/../../cmake/wine-run.sh" "$@" >"$output" 2>&1
status=$?
cat "$output"
if [ "$status" -ne 0 ]; then
    exit "$status"
fi
if ! grep -q '^\[==========\] [0-9]* tests\{0,1\} from [0-9]* test suites\{0,1\} ran\.' "$output"; then
    echo "run-test-program.sh: the program ended before GoogleTest's summary, with exit code 0" >&2
    exit 1
fi
