#!/usr/bin/env bash
# Installs what is missing, builds the 64-bit and 32-bit DLLs, installs both SDKs into dist/x64
# and dist/x86, builds the example against dist/x64 and runs it under Wine.
source "$(dirname "$0")/scripts/common.sh"
run_example
