#!/usr/bin/env bash
# A private MariaDB server for the tests.
#
#   scripts/mariadb-test-server.sh start|stop|status <dir>
#
# Everything lives under <dir>: data/ (datadir), mysqld.sock (socket), mysqld.pid,
# error.log, tmp/, port (the TCP port, on 127.0.0.1 only), socket (the socket's path)
# and client.cnf (an option file for the mariadb client: user ferrocan, password
# ferrocan, the socket).
# The port is derived from <dir> (20000..29999), so two build folders on one machine
# run two servers side by side without clashing; the socket is the main way in.
# The user ferrocan/ferrocan has every privilege; root has no password and is reachable
# through the socket only. Start and stop are idempotent. Safe to run as root.
set -euo pipefail

# shellcheck source-path=SCRIPTDIR source=test-server-common.sh
. "$(dirname "${BASH_SOURCE[0]}")/test-server-common.sh"
server_args mariadb "$@"

datadir=$dir/data
pidfile=$dir/mysqld.pid
log=$dir/error.log
tmpdir=$dir/tmp
port=$(server_port 20000)
sock=$(socket_folder "$dir" mysqld.sock)/mysqld.sock

find_bin() {
    local name
    for name in "$@"; do
        if command -v "$name" >/dev/null 2>&1; then
            command -v "$name"
            return 0
        fi
        for d in /usr/sbin /usr/libexec /usr/local/sbin; do
            if [[ -x $d/$name ]]; then
                echo "$d/$name"
                return 0
            fi
        done
    done
    echo "mariadb-test-server: none of [$*] found; install mariadb-server and mariadb-client" >&2
    return 1
}

ready() {
    "$ADMIN" --no-defaults --protocol=socket --socket="$sock" -uroot --connect-timeout=2 ping >/dev/null 2>&1
}

server_pid() {
    [[ -s $pidfile ]] || return 1
    local pid
    pid=$(<"$pidfile")
    [[ $pid =~ ^[0-9]+$ ]] && alive "$pid" && echo "$pid"
}

ensure_user() {
    "$CLIENT" --no-defaults --protocol=socket --socket="$sock" -uroot --batch <<'SQL'
CREATE USER IF NOT EXISTS 'ferrocan'@'localhost' IDENTIFIED BY 'ferrocan';
CREATE USER IF NOT EXISTS 'ferrocan'@'127.0.0.1' IDENTIFIED BY 'ferrocan';
GRANT ALL PRIVILEGES ON *.* TO 'ferrocan'@'localhost' WITH GRANT OPTION;
GRANT ALL PRIVILEGES ON *.* TO 'ferrocan'@'127.0.0.1' WITH GRANT OPTION;
FLUSH PRIVILEGES;
SQL
    cat >"$dir/client.cnf" <<EOF
[client]
user=ferrocan
password=ferrocan
socket=$sock
protocol=socket
EOF
    echo "$port" >"$dir/port"
    echo "$sock" >"$dir/socket"
}

start() {
    if ready; then
        ensure_user
        echo "mariadb-test-server: already running (socket $sock, port $port)"
        return 0
    fi
    # A server that died leaves its socket and pid file behind.
    if pid=$(server_pid); then
        echo "mariadb-test-server: pid $pid exists but does not answer; stopping it" >&2
        stop
    fi
    rm -f "$sock" "$sock.lock" "$pidfile"
    mkdir -p "$tmpdir"

    if [[ ! -d $datadir/mysql ]]; then
        rm -rf "$datadir"
        mkdir -p "$datadir"
        if ! "$INSTALL_DB" --no-defaults --user="$(id -un)" --datadir="$datadir" \
            --auth-root-authentication-method=normal --skip-test-db >"$dir/install.log" 2>&1; then
            cat "$dir/install.log" >&2
            echo "mariadb-test-server: mariadb-install-db failed" >&2
            rm -rf "$datadir"
            exit 1
        fi
    fi

    # --no-defaults keeps the machine's /etc/mysql settings out; durability is traded for
    # speed because the data is scratch. All output goes to files so that ctest, which
    # waits for the pipes of a test to close, is not held by the daemon.
    setsid "$SERVER" --no-defaults \
        --user="$(id -un)" \
        --datadir="$datadir" \
        --socket="$sock" \
        --pid-file="$pidfile" \
        --log-error="$log" \
        --tmpdir="$tmpdir" \
        --port="$port" \
        --bind-address=127.0.0.1 \
        --skip-name-resolve \
        --skip-log-bin \
        --character-set-server=utf8mb4 \
        --collation-server=utf8mb4_general_ci \
        --innodb-buffer-pool-size=128M \
        --innodb-log-file-size=64M \
        --innodb-flush-log-at-trx-commit=0 \
        --innodb-doublewrite=0 \
        --performance-schema=OFF \
        --max-connections=200 \
        --max-allowed-packet=64M \
        </dev/null >>"$dir/mariadbd.out" 2>&1 &
    local launched=$!

    local i
    for ((i = 0; i < 600; i++)); do
        if ready; then
            ensure_user
            echo "mariadb-test-server: running (pid $(server_pid || echo "$launched"), socket $sock, port $port)"
            return 0
        fi
        if ! alive "$launched"; then
            break
        fi
        sleep 0.1
    done
    echo "mariadb-test-server: the server did not come up; last lines of $log:" >&2
    tail -n 30 "$log" >&2 2>/dev/null || true
    tail -n 10 "$dir/mariadbd.out" >&2 2>/dev/null || true
    kill "$launched" 2>/dev/null || true
    exit 1
}

stop() {
    local pid
    pid=$(server_pid) || pid=
    if [[ -z $pid ]] && ! ready; then
        rm -f "$sock" "$sock.lock" "$pidfile"
        echo "mariadb-test-server: not running"
        return 0
    fi
    "$ADMIN" --no-defaults --protocol=socket --socket="$sock" -uroot shutdown >/dev/null 2>&1 ||
        { [[ -n $pid ]] && kill -TERM "$pid" 2>/dev/null; } || true
    local i
    for ((i = 0; i < 600; i++)); do
        if [[ -n $pid ]]; then
            alive "$pid" || break
        elif ! ready; then
            break
        fi
        sleep 0.1
    done
    if [[ -n $pid ]] && alive "$pid"; then
        echo "mariadb-test-server: pid $pid ignored shutdown for 60 s; killing it" >&2
        kill -KILL "$pid" 2>/dev/null || true
    fi
    rm -f "$sock" "$sock.lock" "$pidfile"
    echo "mariadb-test-server: stopped"
}

SERVER=$(find_bin mariadbd mysqld)
INSTALL_DB=$(find_bin mariadb-install-db mysql_install_db)
ADMIN=$(find_bin mariadb-admin mysqladmin)
CLIENT=$(find_bin mariadb mysql)

status_text() { echo "socket $sock, port $port"; }

run_server_action
