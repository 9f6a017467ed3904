#!/usr/bin/env bash
# The workstation's Debian package, built, checked by lintian, installed on this machine and run:
# the settings file is a conffile readable by the operators' group only and survives a reinstall;
# the installed setup command makes a scratch database; the installed program, with the installed
# settings file pointed at it, reaches its first question; with an unreachable server it ends with
# status 1. The package is purged again at the end, whatever happened.
#
#   tests/deploy/package.sh BUILD_DIR
#
# Needs root, apt-get and the Firebird server on 127.0.0.1:3050; run after the build. Changes
# /etc/quelmora while it runs. Exits non-zero when a check fails.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build=$(cd "${1:?usage: package.sh BUILD_DIR}" && pwd)
# shellcheck source=scripts/lib/firebird.sh
. "$root/scripts/lib/firebird.sh"

package=vantorix
settings=/etc/quelmora/quelmora.ini
first_question="Vantorix: pytanie: Brak danych pracowników w programie. Czy pobrać dane pracowników?"
db=$(mktemp -u "$(qm_data_dir)/package-XXXXXXXX.fdb")
work=$(mktemp -d)
program=

cleanup() {
    if [[ -n $program ]]; then kill -KILL "$program" 2>/dev/null || true; fi
    DEBIAN_FRONTEND=noninteractive apt-get purge -y "$package" >/dev/null 2>&1 || true
    "$root/scripts/drop-db" "$db" || true
    rm -rf "$work"
}
trap cleanup EXIT

failures=0
pass() { printf 'ok   %s\n' "$1"; }
fail() {
    printf 'FAIL %s\n' "$1" >&2
    shift
    (($# == 0)) || printf '     %s\n' "$@" >&2
    failures=$((failures + 1))
}
check() { # name command...
    local name=$1
    shift
    if "$@"; then pass "$name"; else fail "$name"; fi
}

# --- Build and lintian --------------------------------------------------------------------------
rm -f "$build"/"$package"_*.deb
(cd "$build" && cpack -G DEB >"$work/cpack.log" 2>&1) || {
    cat "$work/cpack.log" >&2
    exit 1
}
deb=$(echo "$build"/"$package"_*.deb)
[[ -f $deb ]] || {
    echo "no package made in $build" >&2
    exit 1
}
if out=$(lintian --fail-on error,warning,info --info "$deb" 2>&1); then
    pass "lintian"
else
    fail "lintian" "$out"
fi

# --- Install --------------------------------------------------------------------------------------
DEBIAN_FRONTEND=noninteractive apt-get install -y "$deb" >"$work/apt.log" 2>&1 || {
    cat "$work/apt.log" >&2
    exit 1
}
check "the settings file is a conffile" \
    grep -q "^ $settings " <<<"$(dpkg-query -W -f='${Conffiles}\n' "$package")"
check "the settings file is for root and the operators' group only" \
    test "$(stat -c '%U:%G %a' "$settings")" == "root:quelmora 640"
for f in /usr/bin/Vantorix /usr/bin/quelmora-cipher /usr/share/vantorix/quelmora-server-setup \
    /usr/share/vantorix/schema/02-procedures.sql /usr/share/applications/quelmora.desktop \
    /usr/share/icons/hicolor/scalable/apps/quelmora.svg; do
    check "installed: $f" test -e "$f"
done

unset QUELMORA_DEPLOYMENT
out=$(/usr/bin/Vantorix --check-settings 2>&1) && status=0 || status=$?
if ((status != 0)) && grep -qxF "Plik ustawień: $settings" <<<"$out" &&
    grep -qF "Brak hasła (password=)" <<<"$out"; then
    pass "the installed template is read and refused by the check"
else
    fail "the installed template is read and refused by the check" "status $status" "$out"
fi

# --- The installed setup command and the installed settings file --------------------------------
out=$(qm_db_password | /usr/share/vantorix/quelmora-server-setup "$db" 2>&1) ||
    fail "the installed setup command" "$out"
{
    sed -n '/^\[database\]$/,$p' <<<"$out" | sed 's/^server=.*/server=127.0.0.1/'
    printf '\n[statement]\nplace=Swarzędz\nstreet=ul. Przemysłowa 14\npostcode=62-020 Swarzędz\n'
} >"$settings"
if out=$(/usr/bin/Vantorix --check-settings 2>&1); then
    pass "the filled settings file passes the check"
else
    fail "the filled settings file passes the check" "$out"
fi

DEBIAN_FRONTEND=noninteractive apt-get install -y --reinstall "$deb" >"$work/apt.log" 2>&1 ||
    fail "reinstall" "$(cat "$work/apt.log")"
check "a reinstall keeps the filled settings file" grep -qxF "path=$db" "$settings"
check "a reinstall keeps the file's group and mode" \
    test "$(stat -c '%U:%G %a' "$settings")" == "root:quelmora 640"

# --- The installed program ----------------------------------------------------------------------
QT_QPA_PLATFORM=offscreen QUELMORA_UNATTENDED=1 /usr/bin/Vantorix 2>"$work/run.err" &
program=$!
reached=
for ((i = 0; i < 600; i++)); do
    if grep -qxF "$first_question" "$work/run.err"; then
        reached=1
        break
    fi
    kill -0 "$program" 2>/dev/null || break
    sleep 0.1
done
if [[ -n $reached ]]; then
    pass "the installed program reaches its first question"
else
    fail "the installed program reaches its first question" "$(cat "$work/run.err")"
fi

# SIGTERM (a session that logs out, a service manager) closes the connected program as the close
# tab does, also with a question open: status 0 and its attachment gone from the server.
attachments() {
    qm_isql_sysdba "$(qm_attachment "$db")" <<<"SET LIST ON;
SELECT COUNT(*) AS N FROM MON\$ATTACHMENTS WHERE MON\$USER = 'QUELMORA';" | awk '$1 == "N" { print $2 }'
}
before=$(attachments)
kill -TERM "$program" 2>/dev/null || true
status=
for ((i = 0; i < 100; i++)); do
    if ! kill -0 "$program" 2>/dev/null; then
        status=0
        wait "$program" || status=$?
        break
    fi
    sleep 0.1
done
if [[ -z $status ]]; then
    kill -KILL "$program" 2>/dev/null || true
    wait "$program" 2>/dev/null || true
fi
program=
after=$(attachments)
if [[ $status == 0 && $before == 1 && $after == 0 ]]; then
    pass "SIGTERM closes the program and its attachment"
else
    fail "SIGTERM closes the program and its attachment" \
        "status ${status:-still running after 10 s}, attachments $before before, $after after" \
        "$(cat "$work/run.err")"
fi

sed 's/^port=.*/port=1/' "$settings" >"$work/unreachable.ini"
status=0
QUELMORA_DEPLOYMENT=$work/unreachable.ini QT_QPA_PLATFORM=offscreen QUELMORA_UNATTENDED=1 \
    timeout 60 /usr/bin/Vantorix 2>"$work/run.err" || status=$?
if ((status == 1)) && grep -q '^Vantorix: błąd: ' "$work/run.err" &&
    ! grep -q 'pytanie' "$work/run.err"; then
    pass "with the server unreachable it ends with status 1 before any question"
else
    fail "with the server unreachable it ends with status 1 before any question" \
        "status $status" "$(cat "$work/run.err")"
fi

# --- Purge ----------------------------------------------------------------------------------------
DEBIAN_FRONTEND=noninteractive apt-get purge -y "$package" >"$work/apt.log" 2>&1 ||
    fail "purge" "$(cat "$work/apt.log")"
check "a purge leaves no settings file" test ! -e "$settings"

((failures == 0)) || {
    echo "$failures check(s) failed" >&2
    exit 1
}
