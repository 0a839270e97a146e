#!/usr/bin/env bash
# A private PostgreSQL server for the tests.
#
#   scripts/postgres-test-server.sh start|stop|status <dir>
#
# Everything lives under <dir>: data/ (the cluster, made by initdb on first start),
# server.log, port (the TCP port, on 127.0.0.1 only), socketdir (the folder holding the
# unix socket .s.PGSQL.<port>, normally <dir> itself) and env (PGHOST, PGPORT, PGUSER,
# PGPASSWORD and PGDATABASE for psql: `. <dir>/env && psql`).
# The port is derived from <dir> (10000..19999, apart from the MariaDB test server's
# range), so two build folders on one machine run two servers side by side; the socket is
# the main way in. The superuser is ferrocan, password ferrocan, asked for on the socket
# and on TCP alike, so that a wrong password fails as it would on a real server. Start
# and stop are idempotent.
# PostgreSQL refuses to run as root: called by root, the server runs as the unprivileged
# user postgres (made by Debian's package), and <dir> is handed to that user. When a
# folder above <dir> is closed to other users (a checkout under /root, say), data/ and
# server.log go to /tmp/ferrocan-postgres-<n> instead; <dir>/home names the folder in use.
set -euo pipefail

# shellcheck source-path=SCRIPTDIR source=test-server-common.sh
. "$(dirname "${BASH_SOURCE[0]}")/test-server-common.sh"
server_args postgres "$@"

port=$(server_port 10000)
user=ferrocan
password=ferrocan

# The newest installed server version.
bindir=
for d in /usr/lib/postgresql/*/bin; do
    [[ -x $d/initdb && -x $d/pg_ctl ]] || continue
    if [[ -z $bindir ]] || [[ $(printf '%s\n%s\n' "${bindir%/bin}" "${d%/bin}" | sort -V | tail -n1) == "${d%/bin}" ]]; then
        bindir=$d
    fi
done
[[ -n $bindir ]] || {
    echo "postgres-test-server: no server under /usr/lib/postgresql/*/bin; install postgresql" >&2
    exit 1
}

# The server's own user: the caller, or postgres when the caller is root.
as_server=()
if ((EUID == 0)); then
    id postgres >/dev/null 2>&1 || {
        echo "postgres-test-server: running as root needs the user postgres (package postgresql)" >&2
        exit 1
    }
    as_server=(runuser -u postgres --)
fi

# The folder of the server's own files: <dir>, unless the server's user cannot reach it.
home=$dir
if ((EUID == 0)) && ! runuser -u postgres -- test -x "$dir"; then
    home=/tmp/ferrocan-postgres-$hash
fi
datadir=$home/data
log=$home/server.log

# The server names its socket <folder>/.s.PGSQL.<port>; <dir>/socketdir always names the
# folder in use.
sockdir=$(socket_folder "$home" ".s.PGSQL.$port")

ready() {
    "$bindir/pg_isready" -q -h "$sockdir" -p "$port" -t 2 >/dev/null 2>&1
}

write_client_files() {
    echo "$port" >"$dir/port"
    echo "$sockdir" >"$dir/socketdir"
    echo "$home" >"$dir/home"
    cat >"$dir/env" <<EOF
export PGHOST='$sockdir' PGPORT=$port PGUSER=$user PGPASSWORD=$password PGDATABASE=postgres
EOF
}

server_pid() {
    local pid
    pid=$(head -n1 "$datadir/postmaster.pid" 2>/dev/null) || return 1
    [[ $pid =~ ^[0-9]+$ ]] && alive "$pid" && echo "$pid"
}

# A conf value in single quotes, quotes doubled.
conf_quote() { printf "'%s'" "${1//\'/\'\'}"; }

start() {
    write_client_files
    if ready; then
        echo "postgres-test-server: already running (socket folder $sockdir, port $port)"
        return 0
    fi
    mkdir -p "$home" "$sockdir"
    if ((EUID == 0)); then
        chown postgres: "$home" "$sockdir"
        [[ -d $datadir ]] && chown -R postgres: "$datadir"
        touch "$log" && chown postgres: "$log"
    fi

    if [[ ! -f $datadir/PG_VERSION ]]; then
        rm -rf "$datadir"
        local pwfile
        pwfile=$(mktemp "$home/pwfile.XXXXXX")
        echo "$password" >"$pwfile"
        ((EUID == 0)) && chown postgres: "$pwfile"
        if ! "${as_server[@]}" "$bindir/initdb" -D "$datadir" -U "$user" --pwfile="$pwfile" \
            --auth=scram-sha-256 -E UTF8 --locale=C.UTF-8 \
            >"$dir/initdb.log" 2>&1; then
            rm -f "$pwfile"
            cat "$dir/initdb.log" >&2
            echo "postgres-test-server: initdb failed" >&2
            rm -rf "$datadir"
            exit 1
        fi
        rm -f "$pwfile"
        echo "include_if_exists = 'ferrocan.conf'" >>"$datadir/postgresql.conf"
    fi
    # A server that died (or became a zombie) leaves its lock file behind; the server
    # itself would only see that the pid still exists.
    if [[ -f $datadir/postmaster.pid ]] && ! server_pid >/dev/null; then
        rm -f "$datadir/postmaster.pid" "$sockdir/.s.PGSQL.$port" "$sockdir/.s.PGSQL.$port.lock"
    fi

    # Written on every start, so a moved folder gets its own port and socket. Durability
    # is traded for speed because the data is scratch.
    "${as_server[@]}" tee "$datadir/ferrocan.conf" >/dev/null <<EOF
port = $port
listen_addresses = '127.0.0.1'
unix_socket_directories = $(conf_quote "$sockdir")
max_connections = 100
shared_buffers = 128MB
fsync = off
synchronous_commit = off
full_page_writes = off
wal_level = minimal
max_wal_senders = 0
logging_collector = off
log_min_messages = warning
EOF

    # pg_ctl detaches the server and sends its output to the log, so that ctest, which
    # waits for the pipes of a test to close, is not held by it.
    if ! "${as_server[@]}" "$bindir/pg_ctl" -D "$datadir" -l "$log" -w -t 60 start \
        </dev/null >"$dir/pg_ctl.out" 2>&1; then
        echo "postgres-test-server: the server did not come up; last lines of $log:" >&2
        tail -n 30 "$log" >&2 2>/dev/null || true
        cat "$dir/pg_ctl.out" >&2
        exit 1
    fi
    local i
    for ((i = 0; i < 100; i++)); do
        if ready; then
            echo "postgres-test-server: running (pid $(head -n1 "$datadir/postmaster.pid"), socket folder $sockdir, port $port)"
            return 0
        fi
        sleep 0.1
    done
    echo "postgres-test-server: pg_ctl started the server but it does not answer" >&2
    exit 1
}

stop() {
    if ! server_pid >/dev/null && ! ready; then
        rm -f "$datadir/postmaster.pid"
        echo "postgres-test-server: not running"
        return 0
    fi
    # Fast shutdown ends open sessions; a server that ignores it for a minute is killed.
    if ! "${as_server[@]}" "$bindir/pg_ctl" -D "$datadir" -m fast -w -t 60 stop >"$dir/pg_ctl.out" 2>&1; then
        local pid
        if pid=$(server_pid); then
            echo "postgres-test-server: pid $pid ignored shutdown for 60 s; killing it" >&2
            "${as_server[@]}" "$bindir/pg_ctl" -D "$datadir" -m immediate -w -t 30 stop >/dev/null 2>&1 ||
                kill -KILL "$pid" 2>/dev/null || true
        fi
        rm -f "$datadir/postmaster.pid"
    fi
    echo "postgres-test-server: stopped"
}

status_text() { echo "socket folder $sockdir, port $port"; }

run_server_action
