#!/usr/bin/env bash
# The server setup command on scratch databases of the local server: a first run creates an empty
# database whose user QUELMORA may execute the thirteen procedures and nothing else, as an
# independent isql-fb client sees it; a second run changes nothing and says so; the printed
# password line works in a workstation's settings file; refused runs leave no database behind and
# never touch an existing file.
#
#   tests/deploy/server-setup.sh BUILD_DIR
#
# Needs root and the Firebird server on 127.0.0.1:3050. Exits non-zero when a check fails.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build=${1:?usage: server-setup.sh BUILD_DIR}
# shellcheck source=scripts/lib/firebird.sh
. "$root/scripts/lib/firebird.sh"

setup=$root/scripts/quelmora-server-setup
export QM_CIPHER=$build/quelmora-cipher
data=$(qm_data_dir)
db=$(mktemp -u "$data/server-setup-XXXXXXXX.fdb")
work=$(mktemp -d)
# The test server's QUELMORA password: other tests log in with it, so the setup must keep it.
password=$(qm_db_password)
cleanup() {
    "$root/scripts/drop-db" "$db" || true
    rm -rf "$work" "$data"/server-setup-refused-*
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
expect_line() { # name text line
    if grep -qxF -- "$3" <<<"$2"; then pass "$1"; else fail "$1" "no line: $3" "in: $2"; fi
}

# Everything a run could change, read as SYSDBA: the objects, the rights, the rows.
snapshot() {
    qm_isql_sysdba "$(qm_attachment "$db")" <<'SQL'
SELECT RDB$RELATION_NAME FROM RDB$RELATIONS WHERE COALESCE(RDB$SYSTEM_FLAG, 0) = 0 ORDER BY 1;
SELECT RDB$PROCEDURE_NAME, RDB$PROCEDURE_SOURCE FROM RDB$PROCEDURES
 WHERE COALESCE(RDB$SYSTEM_FLAG, 0) = 0 ORDER BY 1;
SELECT RDB$USER, RDB$PRIVILEGE, RDB$RELATION_NAME, RDB$OBJECT_TYPE FROM RDB$USER_PRIVILEGES
 ORDER BY 1, 2, 3;
SELECT * FROM WORKERS;
SELECT * FROM ARTICLES;
SELECT * FROM PURCHASES;
SQL
}

# --- First run: a new, empty database ---------------------------------------------------------
out=$(printf '%s\n' "$password" | "$setup" "$db") || fail "first run" "exit status $?"
expect_line "first run creates the database" "$out" \
    "Utworzono bazę $db: tabele, 13 procedur i uprawnienia, bez danych."
expect_line "first run keeps a working password" "$out" \
    "Użytkownik QUELMORA już ma to hasło: bez zmian."
line=$(grep '^password=enc1:' <<<"$out" || true)
[[ -n $line ]] && pass "the password line is printed" || fail "the password line is printed" "$out"

rows=$(qm_isql_sysdba "$(qm_attachment "$db")" <<<"SET HEADING OFF;
SELECT (SELECT COUNT(*) FROM WORKERS) || ' ' || (SELECT COUNT(*) FROM ARTICLES) || ' ' ||
       (SELECT COUNT(*) FROM PURCHASES) FROM RDB\$DATABASE;" | tr -s ' \n' ' ' | sed 's/^ //;s/ $//')
[[ $rows == "0 0 0" ]] && pass "no demo data" || fail "no demo data" "rows: $rows"

# --- The rights of QUELMORA, read by an independent client -------------------------------------
rights=$(printf 'SET HEADING OFF;
SELECT TRIM(RDB$PRIVILEGE) || %s || RDB$OBJECT_TYPE || %s || TRIM(RDB$RELATION_NAME)
  FROM RDB$USER_PRIVILEGES WHERE RDB$USER = %s ORDER BY 1;\n' "' '" "' '" "'QUELMORA'" |
    ISC_USER=SYSDBA ISC_PASSWORD=$(qm_sysdba_password) isql-fb -q -b "$(qm_attachment "$db")" |
    sed -e 's/^[[:space:]]*//' -e 's/[[:space:]]*$//' -e '/^$/d')
expected=$(sort <<'RIGHTS'
X 5 GET_WORKERS_DATA
X 5 GET_WORKERS_ORDERS
X 5 GET_WORKER_ORDERS
X 5 GET_ORDERS_BY_DATE_RANGE
X 5 GET_WORKERS_ORDERS_ID
X 5 GET_PRODUCT_INFO
X 5 GET_ALL_PRODUCTS_INFO
X 5 CHECK_DATA_BEFORE_IMPORT
X 5 CURRENT_SERVER_DATE
X 5 WORKERS_PURCHASE
X 5 ROLLBACK_WORKER_PURCHASE
X 5 IMPORT_DATA_FROM_CSV
X 5 MODIFY_ARTICLE_PRICE
RIGHTS
)
if [[ $(sort <<<"$rights") == "$expected" ]]; then
    pass "QUELMORA may execute the thirteen procedures and nothing else"
else
    fail "QUELMORA may execute the thirteen procedures and nothing else" \
        "expected: $(tr '\n' ',' <<<"$expected")" "got:      $(tr '\n' ',' <<<"$rights")"
fi

# --- The printed line in a workstation's settings file ----------------------------------------
cat >"$work/quelmora.ini" <<END
[database]
server=127.0.0.1
port=$QM_FB_PORT
path=$db
user=QUELMORA
$line

[statement]
place=Swarzędz
street=ul. Przemysłowa 14
postcode=62-020 Swarzędz
END
if check=$(QUELMORA_DEPLOYMENT=$work/quelmora.ini "$build/Vantorix" --check-settings 2>&1); then
    pass "the printed settings pass the workstation's check"
else
    fail "the printed settings pass the workstation's check" "$check"
fi

# --- Second run: nothing changes --------------------------------------------------------------
before=$(snapshot)
out=$(printf '%s\n' "$password" | "$setup" "$db") || fail "second run" "exit status $?"
expect_line "second run says nothing changed" "$out" "Nic nie zmieniono."
expect_line "second run finds the schema" "$out" \
    "Baza $db już istnieje i ma pełny schemat programu: bez zmian."
[[ $(snapshot) == "$before" ]] && pass "second run changes nothing" ||
    fail "second run changes nothing"

# --- A missing right is given back, nothing else is touched -----------------------------------
qm_isql_sysdba "$(qm_attachment "$db")" <<<"REVOKE EXECUTE ON PROCEDURE GET_PRODUCT_INFO FROM USER QUELMORA;
COMMIT;"
out=$(printf '%s\n' "$password" | "$setup" "$db") || fail "run after a revoked right" "exit status $?"
expect_line "a revoked right is granted again" "$out" \
    "Baza $db już istnieje; nadano brakujące uprawnienia użytkownika QUELMORA."
[[ $(snapshot) == "$before" ]] && pass "the rights are as the schema grants them again" ||
    fail "the rights are as the schema grants them again"

# --- Refused runs ------------------------------------------------------------------------------
# name | arguments (after the path) | standard input | message | file left at the path
sysdba=$(qm_sysdba_password)
while IFS='|' read -r name option input message left; do
    target=$(mktemp -u "$data/server-setup-refused-XXXXXXXX.fdb")
    [[ $left != kept ]] || printf 'nie baza\n' >"$target"
    status=0
    # shellcheck disable=SC2086
    err=$(printf "${input//SYSDBA/$sysdba}" | "$setup" $option "$target" 2>&1 >/dev/null) ||
        status=$?
    if ((status == 0)); then
        fail "refused: $name" "exit status 0"
    elif ! grep -qF -- "$message" <<<"$err"; then
        fail "refused: $name" "expected: $message" "got: $err"
    elif [[ $left == kept && $(cat "$target" 2>/dev/null) != "nie baza" ]]; then
        fail "refused: $name" "the existing file was changed"
    elif [[ $left == none && -e $target ]]; then
        fail "refused: $name" "a database was left at $target"
    else
        pass "refused: $name"
    fi
    rm -f "$target"
done <<'CASES'
empty password||\n|hasło użytkownika QUELMORA nie może być puste|none
no password at all|||hasło użytkownika QUELMORA nie może być puste|none
wrong SYSDBA password|--sysdba-password-stdin|zle-haslo\nquelmora\n|nie udało się utworzyć bazy|none
SYSDBA password from standard input, file not a database|--sysdba-password-stdin|SYSDBA\nquelmora\n|istnieje, ale serwer nie otwiera go jako bazy danych; nic nie zmieniono|kept
an existing file that is no database||quelmora\n|istnieje, ale serwer nie otwiera go jako bazy danych; nic nie zmieniono|kept
CASES

out=$("$setup" "$db" extra </dev/null 2>&1) && fail "a password argument is refused" "$out" ||
    pass "a password argument is refused"

((failures == 0)) || {
    echo "$failures check(s) failed" >&2
    exit 1
}
