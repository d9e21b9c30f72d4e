#!/usr/bin/env bash
# The same steps as build.sh, then every test suite under Wine through CTest: the x86 suites
# (where 32-bit Wine runs; elsewhere only the x86 checks that read files, CTest label "files")
# and the x64 suites, both always; fails if either failed.
#   ./test.sh           the default suites (minutes)
#   ./test.sh --soak    also the soak runs (CTest label "soak": a million of anything)
source "$(dirname "$0")/scripts/common.sh"
skip_soak=(-LE soak)
[ "${1:-}" = --soak ] && skip_soak=()

install_packages
install_wine32
build_architecture x64
build_architecture x86
build_example
step run-example run_example

failed=0
if [ -n "$x86_skip_reason" ]; then
    echo "x86 test suites skipped: $x86_skip_reason; only the x86 checks that read files run"
    run_suites x86 -L files || failed=1
else
    run_suites x86 "${skip_soak[@]}" || failed=1
fi
run_suites x64 "${skip_soak[@]}" || failed=1
exit $failed
