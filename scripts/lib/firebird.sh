# shellcheck shell=bash
# Firebird helpers for the Quelmora database: packages, server start, the QUELMORA user and
# database creation. Sourced by scripts/create-db, scripts/drop-db and the SQL checks; meant for a
# Debian 12 machine, run as root. Every function is safe to run again.
#
# Errors go to stderr and make the function return non-zero; callers run with `set -e`.

QM_ROOT=${QM_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}
QM_FB_HOST=${QM_FB_HOST:-localhost}
QM_FB_PORT=${QM_FB_PORT:-3050}
QM_DATA_DIR=${QM_DATA_DIR:-/var/lib/quelmora}
QM_SYSDBA_PASSWORD_FILE=${QM_SYSDBA_PASSWORD_FILE:-/etc/firebird/3.0/SYSDBA.password}
QM_DB_USER=QUELMORA

QM_PACKAGES=(
    build-essential cmake ninja-build pkg-config qt6-base-dev libgl1-mesa-dev libgtest-dev
    googletest firebird3.0-server firebird3.0-utils firebird-dev libfbclient2 fonts-liberation
    fonts-wine poppler-utils xvfb x11-utils imagemagick xauth clang-format
)

qm_warn() {
    printf '%s: %s\n' "${0##*/}" "$*" >&2
}

# Prints the message and fails; use it last in a list (`cmd || qm_die ... || return`).
qm_die() {
    qm_warn "$@"
    return 1
}

# Installs whatever of QM_PACKAGES is missing; with everything present it touches no network.
qm_install_packages() {
    local missing=() pkg status
    for pkg in "${QM_PACKAGES[@]}"; do
        status=$(dpkg-query -W -f='${db:Status-Abbrev}' "$pkg" 2>/dev/null) || status=
        [[ $status == ii* ]] || missing+=("$pkg")
    done
    ((${#missing[@]} == 0)) && return 0
    echo "Installing: ${missing[*]}" >&2
    if [[ -z ${QM_APT_UPDATED:-} ]]; then
        apt-get update || qm_die "apt-get update failed" || return
        QM_APT_UPDATED=1
    fi
    DEBIAN_FRONTEND=noninteractive apt-get install -y "${missing[@]}" ||
        qm_die "apt-get install failed: ${missing[*]}"
}

qm_port_open() {
    (exec 3<>"/dev/tcp/127.0.0.1/$QM_FB_PORT") 2>/dev/null
}

# Starts the Firebird guardian unless something already listens on the port, then waits for the
# port to accept connections. Without systemd nobody makes the server's runtime and lock
# directories, so this does.
qm_start_server() {
    qm_port_open && return 0
    [[ -x /usr/sbin/fbguard ]] || qm_die "/usr/sbin/fbguard not found" || return
    install -d -o firebird -g firebird -m 0770 /run/firebird3.0 /tmp/firebird || return
    runuser -u firebird -- /usr/sbin/fbguard -daemon -forever ||
        qm_die "could not start /usr/sbin/fbguard" || return
    local i
    for ((i = 0; i < 300; i++)); do
        qm_port_open && return 0
        sleep 0.1
    done
    qm_die "the Firebird server does not accept connections on 127.0.0.1:$QM_FB_PORT after 30 s"
}

# Stops the Firebird guardian and the server it watches, then waits until the port is closed. A
# test that takes the server away uses it, and qm_start_server brings the server back.
qm_stop_server() {
    pkill -x fbguard 2>/dev/null || true
    pkill -KILL -x firebird 2>/dev/null || true
    local i
    for ((i = 0; i < 300; i++)); do
        if ! qm_port_open && ! pgrep -x firebird >/dev/null; then return 0; fi
        sleep 0.1
    done
    qm_die "the Firebird server still runs after 30 s"
}

qm_sysdba_password() {
    [[ -r $QM_SYSDBA_PASSWORD_FILE ]] ||
        qm_die "cannot read $QM_SYSDBA_PASSWORD_FILE (is firebird3.0-server installed?)" || return
    (
        ISC_PASSWORD=
        # shellcheck disable=SC1090
        . "$QM_SYSDBA_PASSWORD_FILE"
        [[ -n $ISC_PASSWORD ]] || exit 1
        printf '%s\n' "$ISC_PASSWORD"
    ) || qm_die "no ISC_PASSWORD in $QM_SYSDBA_PASSWORD_FILE"
}

qm_db_password() {
    printf '%s\n' "${QUELMORA_DB_PASSWORD:-quelmora}"
}

# The directory of the databases: the server (user firebird) creates and writes files in it.
qm_data_dir() {
    install -d -o firebird -g firebird -m 0755 "$QM_DATA_DIR" || return
    printf '%s\n' "$QM_DATA_DIR"
}

# Text as an SQL string literal.
qm_sql_quote() {
    local s=${1//\'/\'\'}
    printf "'%s'" "$s"
}

# isql-fb as SYSDBA: stops at the first error and then exits non-zero. Arguments go to isql-fb.
qm_isql_sysdba() {
    local password
    password=$(qm_sysdba_password) || return
    ISC_USER=SYSDBA ISC_PASSWORD=$password isql-fb -q -b -ch UTF8 "$@"
}

qm_attachment() {
    printf '%s/%s:%s\n' "$QM_FB_HOST" "$QM_FB_PORT" "$1"
}

# Creates the Firebird user QUELMORA or sets its password to $QUELMORA_DB_PASSWORD (default
# "quelmora"). The user lives in the server's security database, which takes no remote
# attachments, so the statement runs over an attachment to DB when given, otherwise to a scratch
# database created and dropped for it. A lock keeps concurrent runs from changing the user at once.
qm_ensure_user() {
    local db=${1:-} scratch='' sql rc=0
    qm_data_dir >/dev/null || return
    sql="CREATE OR ALTER USER $QM_DB_USER PASSWORD $(qm_sql_quote "$(qm_db_password)");
COMMIT;"
    if [[ -z $db ]]; then
        scratch=$(mktemp -u "$QM_DATA_DIR/.user-XXXXXXXX.fdb")
        sql="CREATE DATABASE $(qm_sql_quote "$(qm_attachment "$scratch")");
$sql
DROP DATABASE;"
    else
        sql="CONNECT $(qm_sql_quote "$(qm_attachment "$db")");
$sql"
    fi
    {
        flock 9 || qm_die "cannot lock $QM_DATA_DIR/.users.lock" || return
        qm_isql_sysdba <<<"$sql" || rc=$?
    } 9>"$QM_DATA_DIR/.users.lock"
    if [[ -n $scratch ]]; then rm -f "$scratch"; fi
    ((rc == 0)) || qm_die "could not create or alter the Firebird user $QM_DB_USER"
}

# qm_create_database PATH [--demo]: a new database at PATH with the schema of db/schema/*.sql and,
# with --demo, the demo data. Refuses an existing file; a failed run removes the half-made database.
qm_create_database() {
    local path=${1:-} demo=
    shift || true
    case ${1:-} in
    --demo) demo=1 ;;
    "") ;;
    *) qm_die "qm_create_database: unknown option $1" || return ;;
    esac
    [[ -n $path ]] || qm_die "usage: qm_create_database PATH [--demo]" || return
    [[ $path == /* ]] || path=$(pwd)/$path
    [[ ! -e $path ]] || qm_die "$path already exists" || return

    local scripts=("$QM_ROOT"/db/schema/*.sql)
    [[ -f ${scripts[0]} ]] || qm_die "no SQL scripts in $QM_ROOT/db/schema" || return
    [[ -z $demo ]] || scripts+=("$QM_ROOT/db/demo/demo-data.sql")

    local create
    create="CREATE DATABASE $(qm_sql_quote "$(qm_attachment "$path")")
    DEFAULT CHARACTER SET WIN1250;
COMMIT;"
    qm_isql_sysdba <<<"$create" || qm_die "could not create the database $path" || return

    local script
    for script in "${scripts[@]}"; do
        if ! qm_isql_sysdba -i "$script" "$(qm_attachment "$path")" </dev/null; then
            qm_warn "$script failed; removing $path"
            qm_drop_database "$path" 2>/dev/null || rm -f "$path"
            return 1
        fi
    done
}

# Drops the database at PATH through the server; a file the server cannot open is removed.
qm_drop_database() {
    local path=${1:-}
    [[ -n $path ]] || qm_die "usage: qm_drop_database PATH" || return
    [[ -e $path ]] || return 0
    qm_isql_sysdba "$(qm_attachment "$path")" <<<"DROP DATABASE;" 2>/dev/null || rm -f "$path"
    [[ ! -e $path ]] || qm_die "could not remove $path"
}

# qm_write_deployment FILE DBPATH: the deployment settings of a demo installation, pointing the
# program at DBPATH on this machine's server as QUELMORA. The password is enciphered by the
# program's own tool, $QM_CIPHER or else quelmora-cipher of the build directory, which must have
# been built.
qm_write_deployment() {
    local file=${1:-} dbpath=${2:-}
    [[ -n $file && -n $dbpath ]] || qm_die "usage: qm_write_deployment FILE DBPATH" || return
    local cipher=${QM_CIPHER:-${QM_BUILD_DIR:-$QM_ROOT/build}/quelmora-cipher} line
    [[ -x $cipher ]] || qm_die "$cipher not found: build the target quelmora-cipher first" ||
        return
    line=$(qm_db_password | "$cipher") && [[ $line == password=* ]] ||
        qm_die "$cipher could not encipher the password" || return
    mkdir -p "$(dirname "$file")" || return
    cat >"$file" <<EOF || return
; Quelmora counter: deployment settings of a demo installation.
[database]
server=127.0.0.1
port=$QM_FB_PORT
path=$dbpath
user=$QM_DB_USER
$line
charset=WIN1250

[statement]
place=Swarzędz
street=ul. Przemysłowa 14
postcode=62-020 Swarzędz
EOF
    chmod 0600 "$file"
}
