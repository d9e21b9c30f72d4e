#!/usr/bin/env bash
# The same set-up as build.sh, then every test suite under Wine through CTest: the x64 suites
# always, the x86 suites when 32-bit Wine is installed.
source "$(dirname "$0")/scripts/common.sh"
step run-example run_example

if [ -n "$x86_skip_reason" ]; then
    echo "x86 test suites skipped: $x86_skip_reason"
else
    ctest --preset mingw-x86
fi
ctest --preset mingw-x64
