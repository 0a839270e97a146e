#!/usr/bin/env bash
# Installs what is missing (Debian 12), builds everything and runs every test with CTest.
# CTest starts private MariaDB and PostgreSQL servers for the tests that need them and stops
# them again.
#
#   scripts/test.sh [--sanitize] [--build-dir DIR] [--jobs N] [--no-install] [-- ctest args...]
#
#   --sanitize      AddressSanitizer + UndefinedBehaviorSanitizer build in build-asan/
#   --build-dir DIR build folder (default build/, or build-asan/ with --sanitize)
#   --jobs N        parallel compile jobs (default: number of processors)
#   --no-install    never call apt-get; fail if a package or the locale is missing
#   -- ...          everything after -- goes to ctest (for example -R Format)
#
# Exits nonzero when the build or any test fails. Safe to run again and again: packages
# already present are not touched, the build is incremental, and a server left over from
# an interrupted run is reused and stopped at the end. Warnings are errors here.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

sanitize=0
install=1
build_dir=
jobs=$(nproc 2>/dev/null || echo 2)
ctest_args=()
while [[ $# -gt 0 ]]; do
    case $1 in
    --sanitize) sanitize=1 ;;
    --build-dir)
        build_dir=${2:?--build-dir needs a folder}
        shift
        ;;
    --jobs)
        jobs=${2:?--jobs needs a number}
        shift
        ;;
    --no-install) install=0 ;;
    --)
        shift
        ctest_args=("$@")
        break
        ;;
    -h | --help)
        sed -n '2,16p' "$0"
        exit 0
        ;;
    *)
        echo "test.sh: unknown option $1 (see --help)" >&2
        exit 2
        ;;
    esac
    shift
done
if [[ -z $build_dir ]]; then
    build_dir=$root/build
    ((sanitize)) && build_dir=$root/build-asan
fi
mkdir -p "$build_dir"
build_dir=$(cd "$build_dir" && pwd)

log() { printf '\n== %s\n' "$*"; }

# ---- packages ----
# The shared list (scripts/install-packages.sh test), the German locale of the date tests included.
install_args=(test)
((install)) || install_args+=(--no-install)
"$root/scripts/install-packages.sh" "${install_args[@]}"

# ---- build ----
log "configuring $build_dir"
cmake_args=(-S "$root" -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFERROCAN_BUILD_TESTS=ON -DFERROCAN_WERROR=ON)
if ((sanitize)); then
    cmake_args+=(-DFERROCAN_SANITIZE=ON)
else
    cmake_args+=(-DFERROCAN_SANITIZE=OFF)
fi
cmake "${cmake_args[@]}"

log "building with $jobs jobs"
cmake --build "$build_dir" -j "$jobs"

# ---- tests ----
stop_servers() {
    "$root/scripts/mariadb-test-server.sh" stop "$build_dir/testenv/mariadb" >/dev/null 2>&1 || true
    if [[ -d $build_dir/testenv/postgres ]]; then
        "$root/scripts/postgres-test-server.sh" stop "$build_dir/testenv/postgres" >/dev/null 2>&1 || true
    fi
}
# The fixtures stop the servers after the tests; this covers an interrupted run.
trap stop_servers EXIT

if ((sanitize)); then
    export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1:suppressions=$root/tests/support/asan.supp}
    export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
    if [[ -f $root/tests/support/lsan.supp ]]; then
        export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$root/tests/support/lsan.supp:print_suppressions=0}
    fi
fi

log "running tests"
# Serial on purpose: test cases share the private server and the user's data sources.
status=0
(cd "$build_dir" && ctest --output-on-failure --no-tests=error --timeout 900 "${ctest_args[@]}") || status=$?
if ((status)); then
    log "FAILED (ctest exit status $status)"
else
    log "all tests passed"
fi
exit "$status"
