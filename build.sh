#!/usr/bin/env bash
# Installs what is missing, builds the 64-bit and 32-bit DLLs, installs both SDKs into dist/x64
# and dist/x86, builds the examples against both SDKs and runs them under Wine with their output
# checked (the x86 ones where 32-bit Wine runs).
source "$(dirname "$0")/scripts/common.sh"
install_packages
install_wine32
build_architecture x64
build_architecture x86
build_example x64
build_example x86
run_examples x64
[ -n "$x86_skip_reason" ] || run_examples x86
