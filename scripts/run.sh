#!/usr/bin/env bash
# Sets up, builds and runs one export on the embedded SQLite demo database.
#
#   scripts/run.sh [--headless] [ferrocan-export options...]
#
# On a fresh Debian 12 machine (as root, or with sudo) it installs the packages that are
# missing (no apt-get at all when everything is present), builds the two programs in
# build-run/, creates the demo database build-run/demo/bids.db, writes project-local
# ODBC files (build-run/demo/odbcinst.ini and odbc.ini, data source "FerrocanDemo") and a
# ZURIREV.ini beside the built programs. Then it opens the window when a display is
# available ($DISPLAY set) and runs the headless ferrocan-export otherwise (or with
# --headless, passing the remaining options to it). The script is written to
# build-run/demo/out/; the last line printed says which file it is.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir=$root/build-run
demo_dir=$build_dir/demo
out_dir=$demo_dir/out

headless=0
if [[ ${1:-} == --headless ]]; then
    headless=1
    shift
fi
[[ -n ${DISPLAY:-} ]] || headless=1

log() { printf '== %s\n' "$*" >&2; }

# ---- packages ----
"$root/scripts/install-packages.sh" run

# ---- build ----
log "building in $build_dir"
cmake -S "$root" -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFERROCAN_BUILD_TESTS=OFF >/dev/null
cmake --build "$build_dir" -j "$(nproc 2>/dev/null || echo 2)" --target ferrocan ferrocan-export

# ---- demo database and data source ----
mkdir -p "$demo_dir" "$out_dir"
log "creating the demo database $demo_dir/bids.db"
"$root/demo/make-demo-db.sh" "$demo_dir/bids.db"

driver=
multiarch=$(gcc -print-multiarch 2>/dev/null || true)
for d in ${multiarch:+/usr/lib/$multiarch/odbc/libsqlite3odbc.so} /usr/lib/odbc/libsqlite3odbc.so; do
    [[ -e $d ]] && driver=$d && break
done
[[ -n $driver ]] || driver=$(dpkg -L libsqliteodbc | grep '/libsqlite3odbc\.so$' | head -n1)
[[ -n $driver ]] || {
    echo "run.sh: the SQLite ODBC driver (libsqlite3odbc.so) was not found" >&2
    exit 1
}
cat >"$demo_dir/odbcinst.ini" <<INI
[SQLite3]
Description=SQLite3 ODBC Driver
Driver=$driver
Threading=2
INI
cat >"$demo_dir/odbc.ini" <<INI
[FerrocanDemo]
Driver=SQLite3
Description=Ferrocan demo database
Database=$demo_dir/bids.db
StepAPI=1
INI
cat >"$build_dir/app/ZURIREV.ini" <<INI
[ODBC Parameters]
DNS Name=FerrocanDemo
User Name=
Password=
INI
# Only this script points the driver manager at the project-local files.
export ODBCSYSINI=$demo_dir
export ODBCINI=$demo_dir/odbc.ini

# ---- run ----
cd "$out_dir"
before=$(ls -t Bid_Oracle_Data*.sql 2>/dev/null | head -n1 || true)
status=0
if ((headless)); then
    log "running ferrocan-export $* (no display)"
    "$build_dir/app/ferrocan-export" "$@" >/dev/null || status=$?
else
    log "opening the window: press \"Get Bid Data\", then \"Exit\""
    "$build_dir/app/ferrocan" || status=$?
fi
latest=$(ls -t Bid_Oracle_Data*.sql 2>/dev/null | head -n1 || true)
if [[ -n $latest && $latest != "$before" ]]; then
    log "the script went to $out_dir/$latest"
elif [[ -n $latest ]]; then
    log "no new script this time; the last one is $out_dir/$latest"
else
    log "no script was written (exit status $status)"
fi
exit "$status"
