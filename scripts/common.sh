# The steps that build.sh and test.sh run, as functions; the scripts call them in order. Quiet
# on success: every step logs to build/logs and shows its log when it fails.

set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
logs=$root/build/logs
mkdir -p "$logs"
export DEBIAN_FRONTEND=noninteractive
sudo=""
[ "$(id -u)" = 0 ] || sudo=sudo

# step NAME COMMAND...: runs COMMAND with its output in build/logs/NAME.log.
step() {
    local name=$1
    shift
    if ! "$@" >"$logs/$name.log" 2>&1; then
        echo "FAILED: $name ($*); last lines of build/logs/$name.log:" >&2
        tail -n 40 "$logs/$name.log" >&2
        exit 1
    fi
}

install_packages() {
    local need=()
    command -v cmake >/dev/null || need+=(cmake)
    command -v ninja >/dev/null || need+=(ninja-build)
    command -v x86_64-w64-mingw32-g++-posix >/dev/null || need+=(g++-mingw-w64-x86-64-posix)
    command -v i686-w64-mingw32-g++-posix >/dev/null || need+=(g++-mingw-w64-i686-posix)
    command -v wine >/dev/null || need+=(wine)
    [ -x /usr/lib/wine/wine64 ] || need+=(wine64)
    [ -f /usr/src/googletest/CMakeLists.txt ] || need+=(googletest)
    command -v flock >/dev/null || need+=(util-linux)
    [ -f /usr/include/rapidjson/document.h ] || need+=(rapidjson-dev)
    # The HTTPS test servers: certificates made with openssl, served by Python's ssl module.
    [ -x /usr/bin/python3 ] || need+=(python3)
    command -v openssl >/dev/null || need+=(openssl)
    # The authenticating forward proxy (the program alone, without the system service).
    command -v tinyproxy >/dev/null || need+=(tinyproxy-bin)
    # Authenticode signatures on the DLLs (and on the module-loading tests' layouts).
    command -v osslsigncode >/dev/null || need+=(osslsigncode)
    # The SDK's reference, generated from the public headers.
    command -v doxygen >/dev/null || need+=(doxygen)
    if [ ${#need[@]} -gt 0 ]; then
        # A partly failed index update (a mirror in sync) need not stop the install.
        $sudo apt-get update -qq >"$logs/apt-update.log" 2>&1 || true
        step apt-install $sudo apt-get install -y -qq "${need[@]}"
    fi
}

# Whether this machine runs 32-bit x86 programs at all (some kernels are built without it):
# a 93-byte static 32-bit program that only exits.
runs_32bit_programs() {
    local probe="$logs/exit32"
    printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x5d\x00\x00\x00\x5d\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00\xb8\x01\x00\x00\x00\x31\xdb\xcd\x80' >"$probe"
    chmod +x "$probe"
    "$probe" 2>/dev/null
}

# Sets x86_skip_reason when 32-bit Wine cannot be had or cannot run here; the x86 suites then
# do not run.
x86_skip_reason=""
install_wine32() {
    if ! runs_32bit_programs; then
        x86_skip_reason="this machine's kernel runs no 32-bit programs (Exec format error), so 32-bit Wine cannot run"
        return 0
    fi
    if ! dpkg -s wine32:i386 >/dev/null 2>&1; then
        if ! {
            $sudo dpkg --add-architecture i386 && { $sudo apt-get update -qq || true; } &&
                $sudo apt-get install -y -qq wine32:i386
        } >"$logs/wine32.log" 2>&1; then
            x86_skip_reason="the package archive cannot provide 32-bit Wine (wine32:i386; see build/logs/wine32.log)"
            return 0
        fi
    fi
    if ! /usr/lib/wine/wine --version >"$logs/wine32-check.log" 2>&1; then
        x86_skip_reason="32-bit Wine is installed but cannot run on this machine: $(tail -n 1 "$logs/wine32-check.log" | sed 's/.*: //') (build/logs/wine32-check.log)"
    fi
}

build_architecture() {
    local arch=$1
    step "configure-$arch" cmake --preset "mingw-$arch"
    step "build-$arch" cmake --build --preset "mingw-$arch"
    step "install-$arch" cmake --install "build/mingw-$arch"
}

# build_example ARCH: builds Examples/ against dist/ARCH as an outside project would.
build_example() {
    local arch=$1
    step "configure-example-$arch" cmake -S Examples -B "build/example-$arch" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-$arch.cmake" -DCMAKE_PREFIX_PATH="$root/dist/$arch"
    step "build-example-$arch" cmake --build "build/example-$arch"
}

# The names of the example programs, from Examples/expected/.
example_names() {
    local file
    for file in "$root"/Examples/expected/*.txt; do
        basename "$file" .txt
    done
}

# run_examples ARCH: runs every example of build/example-ARCH under Wine and checks what it
# prints against Examples/expected/NAME.txt; each output is kept in build/logs/example-ARCH-NAME.log.
# Fails, showing the mismatch, when one exits with an error or prints something else.
run_examples() {
    local arch=$1 name log failed=0
    for name in $(example_names); do
        log="$logs/example-$arch-$name.log"
        if ! (cd "$root/build/example-$arch" &&
            "$root/cmake/wine-run.sh" "$root/build/mingw-$arch/wineprefix" "$arch" "./$name.exe") >"$log" 2>"$log.stderr"; then
            echo "FAILED: example $name ($arch) exited with an error; its output (build/logs/example-$arch-$name.log):" >&2
            cat "$log" >&2
            failed=1
        elif ! python3 "$root/scripts/check-output.py" "$root/Examples/expected/$name.txt" "$log" >&2; then
            echo "FAILED: example $name ($arch) printed something else than Examples/expected/$name.txt" >&2
            failed=1
        fi
    done
    return $failed
}

# run_suites ARCH [CTEST OPTIONS...]: the test suites of one architecture; fails when one fails.
run_suites() {
    local arch=$1
    shift
    ctest --preset "mingw-$arch" "$@"
}
