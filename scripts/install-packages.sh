#!/usr/bin/env bash
# Installs the Debian 12 packages (and the locale) that one of the project's commands needs.
#
#   scripts/install-packages.sh [--no-install] [--list] run|test
#
#   run           what scripts/run.sh needs: the build tools, Qt, the SQLite ODBC driver
#   test          what scripts/test.sh needs: the above, every database server, driver and
#                 client the tests use, GoogleTest, Xvfb and the de_DE.UTF-8 locale
#   --no-install  never call apt-get or create a locale; fail (status 1) naming what is missing
#   --list        print the package names of the set, one a line, and stop
#
# Nothing is touched when everything is present, so calling it on every run costs a
# dpkg-query. Run as root or with sudo available.
set -euo pipefail

run_packages=(
    build-essential cmake
    unixodbc unixodbc-dev libsqliteodbc
    qt6-base-dev
    sqlite3 fonts-dejavu-core fonts-dejavu-extra
)
test_packages=(
    "${run_packages[@]}"
    libgtest-dev
    odbc-mariadb mariadb-server mariadb-client
    odbc-postgresql postgresql postgresql-client
    firebird3.0-utils firebird3.0-server-core
    xvfb xauth
    locales
)
# The date-format tests switch to a locale whose dates use full stops.
test_locales=(de_DE.UTF-8)

install=1
list=0
set_name=
while [[ $# -gt 0 ]]; do
    case $1 in
    --no-install) install=0 ;;
    --list) list=1 ;;
    run | test) set_name=$1 ;;
    -h | --help)
        sed -n '2,13p' "$0"
        exit 0
        ;;
    *)
        echo "install-packages.sh: unknown argument $1 (see --help)" >&2
        exit 2
        ;;
    esac
    shift
done
case $set_name in
run)
    packages=("${run_packages[@]}")
    locales=()
    ;;
test)
    packages=("${test_packages[@]}")
    locales=("${test_locales[@]}")
    ;;
*)
    echo "install-packages.sh: name the set: run or test (see --help)" >&2
    exit 2
    ;;
esac
if ((list)); then
    printf '%s\n' "${packages[@]}"
    exit 0
fi

log() { printf '== %s\n' "$*" >&2; }

sudo=()
need_root() {
    ((EUID == 0)) && return 0
    command -v sudo >/dev/null || {
        echo "install-packages.sh: not root and no sudo; please install: $*" >&2
        exit 1
    }
    sudo=(sudo -n)
}

# ---- packages ----
missing=()
for p in "${packages[@]}"; do
    [[ $(dpkg-query -W -f='${Status}' "$p" 2>/dev/null) == "install ok installed" ]] || missing+=("$p")
done
if ((${#missing[@]})); then
    if ((!install)); then
        echo "install-packages.sh: missing packages: ${missing[*]}" >&2
        exit 1
    fi
    need_root "${missing[*]}"
    log "installing ${missing[*]}"
    # Keep the package scripts from starting system database servers: the tests run their
    # own. Only a policy file that this script created is removed again.
    policy_created=0
    if [[ ! -e /usr/sbin/policy-rc.d ]]; then
        printf '#!/bin/sh\nexit 101\n' | "${sudo[@]}" tee /usr/sbin/policy-rc.d >/dev/null
        "${sudo[@]}" chmod 755 /usr/sbin/policy-rc.d
        policy_created=1
    fi
    remove_policy() { if ((policy_created)); then "${sudo[@]}" rm -f /usr/sbin/policy-rc.d || true; fi; }
    trap remove_policy EXIT
    "${sudo[@]}" apt-get update -q
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
    remove_policy
    trap - EXIT
fi

# ---- locales ----
# locale -a prints "de_DE.utf8" for "de_DE.UTF-8".
have_locale() {
    local want
    want=$(printf '%s' "$1" | tr 'A-Z' 'a-z' | sed 's/utf-8$/utf8/')
    locale -a 2>/dev/null | tr 'A-Z' 'a-z' | grep -qx "$want"
}
for l in "${locales[@]}"; do
    have_locale "$l" && continue
    if ((!install)); then
        echo "install-packages.sh: missing locale $l (the locales package's locale-gen makes it)" >&2
        exit 1
    fi
    need_root "the locale $l"
    log "generating the locale $l"
    # Listed in /etc/locale.gen so that a later locale-gen (a locales upgrade) keeps it.
    entry="$l ${l##*.}"
    if ! grep -qx "$entry" /etc/locale.gen 2>/dev/null; then
        printf '%s\n' "$entry" | "${sudo[@]}" tee -a /etc/locale.gen >/dev/null
    fi
    "${sudo[@]}" locale-gen --keep-existing >/dev/null
    have_locale "$l" || {
        echo "install-packages.sh: locale-gen did not make $l" >&2
        exit 1
    }
done
