# shellcheck shell=bash
# Shared by the private test server scripts (mariadb-test-server.sh and
# postgres-test-server.sh); sourced, not run. The sourcing script calls
# server_args NAME "$@" and, after defining start, stop, ready and status_text, ends with
# run_server_action.
#
# After server_args: server_name (NAME), action (start, stop or status), dir (the server's
# folder, created, absolute) and hash (a checksum of dir, from which ports and short
# folders are derived, so that two build folders on one machine never share a server).

server_usage() {
    echo "usage: $0 start|stop|status <dir>" >&2
    exit 2
}

server_args() {
    server_name=$1
    shift
    [[ $# -eq 2 ]] || server_usage
    case $1 in
    start | stop | status) action=$1 ;;
    *) server_usage ;;
    esac
    mkdir -p "$2"
    dir=$(cd "$2" && pwd)
    hash=$(printf '%s' "$dir" | cksum | cut -d' ' -f1)
}

# A TCP port for dir between $1 and $1 + 9999.
server_port() {
    echo $(($1 + hash % 10000))
}

# The folder for a unix socket named $2 that would go into folder $1. Socket paths are
# limited to 107 bytes: under a deep folder the socket goes to a short folder of its own
# in /tmp (created here).
socket_folder() {
    local folder=$1
    if ((${#folder} + 1 + ${#2} > 100)); then
        folder=/tmp/ferrocan-$server_name-$hash
        mkdir -p "$folder"
    fi
    echo "$folder"
}

# A zombie (a container whose init does not reap) counts as gone.
alive() {
    kill -0 "$1" 2>/dev/null || return 1
    local state
    state=$(awk '{print $3}' "/proc/$1/stat" 2>/dev/null) || return 0
    [[ $state != Z ]]
}

run_server_action() {
    case $action in
    start) start ;;
    stop) stop ;;
    status)
        if ready; then
            echo "running ($(status_text))"
        else
            echo "not running"
            exit 1
        fi
        ;;
    esac
}
