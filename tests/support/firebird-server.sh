#!/usr/bin/env bash
# firebird-server.sh stop|start|crash: takes the local Firebird server away and brings it back,
# for the tests and benchmarks of a server that goes away. "crash" kills the server process the
# way a failure would; its guardian starts a new one, and the command returns once the port
# accepts connections again. Run as root, on the server that scripts/test started.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
# shellcheck source=scripts/lib/firebird.sh
. "$root/scripts/lib/firebird.sh"

case ${1:-} in
stop) qm_stop_server ;;
start) qm_start_server ;;
crash)
    old=$(pgrep -x firebird) || qm_die "no Firebird server runs"
    kill -KILL "$old"
    for ((i = 0; i < 300; i++)); do
        new=$(pgrep -x firebird || true)
        if [[ -n $new && $new != "$old" ]] && qm_port_open; then exit 0; fi
        sleep 0.1
    done
    qm_die "the guardian did not start a new server within 30 s"
    ;;
*) qm_die "usage: ${0##*/} stop|start|crash" ;;
esac
