#!/usr/bin/env bash
# The same steps as build.sh, then under Wine the examples with their output checked and every
# test suite through CTest: x86 (where 32-bit Wine runs; elsewhere only the x86 checks that read
# files, CTest label "files") and x64, both always; fails if any failed.
#   ./test.sh           the default suites (minutes)
#   ./test.sh --soak    also the soak runs (CTest label "soak": a million of anything)
source "$(dirname "$0")/scripts/common.sh"
skip_soak=(-LE soak)
[ "${1:-}" = --soak ] && skip_soak=()

install_packages
install_wine32
build_architecture x64
build_architecture x86
build_example x64
build_example x86

failed=0
if [ -n "$x86_skip_reason" ]; then
    echo "x86 test suites and examples skipped: $x86_skip_reason; only the x86 checks that read files run"
    run_suites x86 -L files || failed=1
else
    run_examples x86 || failed=1
    run_suites x86 "${skip_soak[@]}" || failed=1
fi
run_examples x64 || failed=1
run_suites x64 "${skip_soak[@]}" || failed=1
exit $failed
