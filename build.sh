#!/usr/bin/env bash
# Installs what is missing, builds the 64-bit and 32-bit DLLs, installs both SDKs into dist/x64
# and dist/x86, builds the example against dist/x64 and runs it under Wine.
source "$(dirname "$0")/scripts/common.sh"
install_packages
install_wine32
build_architecture x64
build_architecture x86
build_example
run_example
