#!/usr/bin/env bash
# Checks the Quelmora database on a fresh demo database, calling the procedures as the program's
# user QUELMORA: results and row counts, the refusals with their Polish messages (and that a
# refused call changes nothing), the privileges, the text passing through a WIN1250 client, and
# two workstations selling the last piece at once.
#
# Needs root and the Firebird server on 127.0.0.1:3050. Exits non-zero when a check fails.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
# shellcheck source=scripts/lib/firebird.sh
. "$root/scripts/lib/firebird.sh"

work=$(mktemp -d)
db=$(mktemp -u "$(qm_data_dir)/check-schema-XXXXXXXX.fdb")
cleanup() {
    "$root/scripts/drop-db" "$db" || true
    rm -rf "$work"
}
trap cleanup EXIT

"$root/scripts/create-db" "$db" --demo

attachment=$(qm_attachment "$db")
user_password=$(qm_db_password)
failures=0

pass() { printf 'ok   %s\n' "$1"; }
fail() {
    printf 'FAIL %s\n' "$1" >&2
    shift
    (($# == 0)) || printf '     %s\n' "$@" >&2
    failures=$((failures + 1))
}

# Runs SQL from stdin as QUELMORA. isql rolls back whatever is not committed when its input ends.
as_user() {
    ISC_USER=$QM_DB_USER ISC_PASSWORD=$user_password isql-fb -q -b -ch UTF8 "$attachment"
}

# The rows of a query as QUELMORA, one line each, blanks squeezed.
rows() {
    printf 'SET HEADING OFF;\n%s;\n' "$1" | as_user | sed -e 's/[[:space:]]\+/ /g' \
        -e 's/^ //' -e 's/ $//' -e '/^$/d'
}

# Everything stored, as SYSDBA; two equal snapshots mean that nothing changed.
snapshot() {
    qm_isql_sysdba "$attachment" <<'SQL'
SELECT * FROM ARTICLES ORDER BY ARTICLE_ID;
SELECT * FROM PURCHASES ORDER BY ORDER_ID;
SELECT * FROM WORKERS ORDER BY WORKER_ID;
SQL
}

check_rows() { # name query expected
    local got
    got=$(rows "$2" 2>&1) || true
    if [[ $got == "$3" ]]; then pass "$1"; else fail "$1" "expected: $3" "got:      $got"; fi
}

# The statement must fail with the message (the line after the exception name, or the server's
# own message line), and leave the database as it was.
check_refused() { # name statement message
    local before after out
    before=$(snapshot)
    if out=$(printf '%s;\n' "$2" | as_user 2>&1); then
        fail "$1" "the statement succeeded"
        return
    fi
    after=$(snapshot)
    if ! grep -qxF -e "$3" -e "-$3" <<<"$out"; then
        fail "$1" "expected message: $3" "got: $out"
    elif [[ $before != "$after" ]]; then
        fail "$1" "the refused statement changed the database"
    else
        pass "$1"
    fi
}

run_ok() { # name statements
    local out
    if out=$(printf '%s\nCOMMIT;\n' "$2" | as_user 2>&1); then
        pass "$1"
    else
        fail "$1" "$out"
    fi
}

# --- Privileges: the tables are out of reach -----------------------------------------------------
while IFS='|' read -r statement message; do
    check_refused "refused: $statement" "$statement" "$message"
done <<'CASES'
SELECT * FROM WORKERS|no permission for SELECT access to TABLE WORKERS
SELECT * FROM ARTICLES|no permission for SELECT access to TABLE ARTICLES
SELECT * FROM PURCHASES|no permission for SELECT access to TABLE PURCHASES
UPDATE ARTICLES SET AMOUNT = 99|no permission for UPDATE access to TABLE ARTICLES
INSERT INTO PURCHASES (ARTICLE_ID) VALUES (1)|no permission for INSERT access to TABLE PURCHASES
DELETE FROM PURCHASES|no permission for DELETE access to TABLE PURCHASES
CASES

# --- Every listing carries its row count in every row ---------------------------------------------
while IFS='|' read -r source column; do
    got=$(rows "SELECT COUNT(*), MIN($column), MAX($column) FROM $source" 2>&1) || true
    read -r n lo hi <<<"$got"
    if [[ $n =~ ^[0-9]+$ ]] && ((n > 0)) && [[ $lo == "$n" && $hi == "$n" ]]; then
        pass "count column of $source"
    else
        fail "count column of $source" "rows, min and max of $column: $got"
    fi
done <<'CASES'
GET_WORKERS_DATA|COUNT_WORKERS_DATA_TO_RETURN
GET_WORKERS_ORDERS|COUNT_WORKER_ORDERS_TO_RETURN
GET_WORKER_ORDERS(1008)|COUNT_WORKER_ORDERS_TO_RETURN
GET_ORDERS_BY_DATE_RANGE(CURRENT_DATE - 3, CURRENT_DATE)|COUNT_WORKER_ORDERS_TO_RETURN
GET_WORKERS_ORDERS_ID|COUNT_WORKER_ORDERS_TO_RETURN
GET_PRODUCT_INFO(3060)|COUNT_AMOUNT_OF_ARTICLES
GET_ALL_PRODUCTS_INFO|COUNT_AMOUNT_OF_ARTICLES
CASES

check_rows "unknown label key gives no rows" "SELECT COUNT(*) FROM GET_PRODUCT_INFO(999999)" "0"
check_rows "worker without purchases gives no rows" "SELECT COUNT(*) FROM GET_WORKER_ORDERS(999999)" "0"
check_rows "label key passed as text" "SELECT COUNT(*) FROM GET_PRODUCT_INFO('3060')" "3"
check_rows "server date" \
    "SELECT COUNT(*), MIN(IIF(CURRENT_DATE_TO_RETURN = CURRENT_DATE, 'today', 'other')) FROM CURRENT_SERVER_DATE" \
    "1 today"
check_rows "duplicated worker ID is kept" \
    "SELECT COUNT(*) FROM GET_WORKERS_DATA WHERE REFERENCE_NUMBER_TO_RETURN = 1017" "2"
check_rows "workers in list order" \
    "SELECT FIRST 2 REFERENCE_NUMBER_TO_RETURN, SURNAME_TO_RETURN FROM GET_WORKERS_DATA" \
    "1001 Nowak
1002 Kowalski"

# Each day of the range counts, the last one up to its end.
for back in 0 1 2 3; do
    day="CURRENT_DATE - $back"
    check_rows "date range of one day ($day)" \
        "SELECT (SELECT COUNT(*) FROM GET_ORDERS_BY_DATE_RANGE($day, $day)) - (SELECT COUNT(*) FROM GET_WORKERS_ORDERS WHERE DATE_TO_RETURN = $day) FROM RDB\$DATABASE" \
        "0"
done
check_rows "date range covering every purchase" \
    "SELECT (SELECT COUNT(*) FROM GET_ORDERS_BY_DATE_RANGE(CURRENT_DATE - 3, CURRENT_DATE)) - (SELECT COUNT(*) FROM GET_WORKERS_ORDERS) FROM RDB\$DATABASE" \
    "0"
check_rows "reversed date range" \
    "SELECT COUNT(*) FROM GET_ORDERS_BY_DATE_RANGE(CURRENT_DATE, CURRENT_DATE - 3)" "0"
check_rows "cancelled demo purchase is not listed" \
    "SELECT COUNT(*) FROM GET_WORKER_ORDERS(1003) WHERE LABEL_TO_RETURN = '21/3002/07'" "0"

# --- Import and its check ---------------------------------------------------------------------------
# Key 9001: one piece of the sofa and a sold-out pouffe. 9002 and 9003 for price changes, 9004 for
# the race below.
run_ok "import of new articles" "
EXECUTE PROCEDURE IMPORT_DATA_FROM_CSV(9001, 'T-1', 'Sofa Próbna 3F', 'Soro 28', NULL, 'Dąb sonoma', 1, NULL, 1.5, 1299);
EXECUTE PROCEDURE IMPORT_DATA_FROM_CSV(9001, 'T-2', 'Pufa Próbna', 'Soro 28', NULL, 'Dąb sonoma', 0, 9001, NULL, 249);
EXECUTE PROCEDURE IMPORT_DATA_FROM_CSV(9002, 'T-3', 'Fotel Próbny', NULL, NULL, 'Buk', 2, NULL, 1, 599);
EXECUTE PROCEDURE IMPORT_DATA_FROM_CSV(9003, NULL, 'Krzesło Próbne', NULL, NULL, 'Buk', 4, NULL, NULL, 199);
EXECUTE PROCEDURE IMPORT_DATA_FROM_CSV(9004, 'T-5', 'Komoda Ostatnia', NULL, NULL, 'Orzech', 1, NULL, NULL, 699);"
check_rows "imported articles, in import order" \
    "SELECT ODWO_ID_TO_RETURN, CODE_TO_RETURN, NAME_TO_RETURN, AMOUNT_TO_RETURN, QBM_TO_RETURN, PRICE_TO_RETURN FROM GET_PRODUCT_INFO(9001)" \
    "9001 T-1 Sofa Próbna 3F 1 1.50 1299.00
9001 T-2 Pufa Próbna 0 <null> 249.00"
while IFS='|' read -r name expected; do
    check_rows "CHECK_DATA_BEFORE_IMPORT for $name" \
        "SELECT COUNT_ARTICLE_TO_RETURN FROM CHECK_DATA_BEFORE_IMPORT(9001, 'X', '$name', '', '', '', 0, 0)" \
        "$expected"
done <<'CASES'
Sofa Próbna 3F|1
Pufa Próbna|1
Sofa Próbna 2F|0
CASES
check_refused "import of an existing article" \
    "EXECUTE PROCEDURE IMPORT_DATA_FROM_CSV(9001, 'T-9', 'Sofa Próbna 3F', NULL, NULL, NULL, 5, NULL, NULL, 1)" \
    'Artykuł o ODWO_ID 9001 i nazwie "Sofa Próbna 3F" już istnieje'

# --- Selling ---------------------------------------------------------------------------------------
while IFS='|' read -r case_name statement message; do
    check_refused "$case_name" "$statement" "$message"
done <<'CASES'
purchase of a sold-out article|EXECUTE PROCEDURE WORKERS_PURCHASE(1005, 9001, '12/9001/78', 'Pufa Próbna')|Artykuł o ODWO_ID 9001 i nazwie "Pufa Próbna" został już wyprzedany
purchase of an unknown article|EXECUTE PROCEDURE WORKERS_PURCHASE(1005, 9001, '12/9001/78', 'Sofa Próbna 2F')|Brak artykułu o ODWO_ID 9001 i nazwie "Sofa Próbna 2F"
purchase under an unknown key|EXECUTE PROCEDURE WORKERS_PURCHASE(1005, 999999, '12/999999/78', 'Sofa Próbna 3F')|Brak artykułu o ODWO_ID 999999 i nazwie "Sofa Próbna 3F"
CASES

run_ok "purchase of the last piece (key passed as text)" \
    "EXECUTE PROCEDURE WORKERS_PURCHASE(1005, '9001', '12/9001/78', 'Sofa Próbna 3F');"
check_rows "purchase takes down only its own article" \
    "SELECT NAME_TO_RETURN, AMOUNT_TO_RETURN FROM GET_PRODUCT_INFO(9001)" \
    "Sofa Próbna 3F 0
Pufa Próbna 0"
order=$(rows "SELECT ORDER_ID_TO_RETURN FROM GET_WORKERS_ORDERS_ID WHERE LABEL_TO_RETURN = '12/9001/78'")
while IFS='|' read -r source; do
    check_rows "purchase listed by $source" \
        "SELECT COUNT(*) FROM $source WHERE LABEL_TO_RETURN = '12/9001/78' AND USER_ID_TO_RETURN = 1005 AND CAST(DATE_TO_RETURN AS DATE) = CURRENT_DATE" \
        "1"
done <<'CASES'
GET_WORKERS_ORDERS
GET_WORKER_ORDERS(1005)
GET_ORDERS_BY_DATE_RANGE(CURRENT_DATE, CURRENT_DATE)
GET_WORKERS_ORDERS_ID
CASES
check_refused "second purchase of the sold-out piece" \
    "EXECUTE PROCEDURE WORKERS_PURCHASE(1006, 9001, '12/9001/79', 'Sofa Próbna 3F')" \
    'Artykuł o ODWO_ID 9001 i nazwie "Sofa Próbna 3F" został już wyprzedany'

# --- Cancelling ------------------------------------------------------------------------------------
demo_order=$(rows "SELECT FIRST 1 ORDER_ID_TO_RETURN FROM GET_WORKERS_ORDERS_ID WHERE LABEL_TO_RETURN LIKE '%/3005/%'")
while IFS='|' read -r case_name statement message; do
    check_refused "$case_name" "$statement" "$message"
done <<CASES
cancelling a missing order|EXECUTE PROCEDURE ROLLBACK_WORKER_PURCHASE(999999, 9001, 'Sofa Próbna 3F')|Brak zakupu o numerze 999999
cancelling an order with another article of its key|EXECUTE PROCEDURE ROLLBACK_WORKER_PURCHASE($order, 9001, 'Pufa Próbna')|Zakup o numerze $order nie dotyczy artykułu o ODWO_ID 9001 i nazwie "Pufa Próbna"
cancelling an order of another key|EXECUTE PROCEDURE ROLLBACK_WORKER_PURCHASE($demo_order, 9001, 'Sofa Próbna 3F')|Zakup o numerze $demo_order nie dotyczy artykułu o ODWO_ID 9001 i nazwie "Sofa Próbna 3F"
CASES

run_ok "cancelling the order" \
    "EXECUTE PROCEDURE ROLLBACK_WORKER_PURCHASE($order, 9001, 'Sofa Próbna 3F');"
check_rows "cancelling gives the piece back to its own article" \
    "SELECT NAME_TO_RETURN, AMOUNT_TO_RETURN FROM GET_PRODUCT_INFO(9001)" \
    "Sofa Próbna 3F 1
Pufa Próbna 0"
while IFS='|' read -r source; do
    check_rows "cancelled order not listed by $source" \
        "SELECT COUNT(*) FROM $source WHERE LABEL_TO_RETURN = '12/9001/78'" "0"
done <<'CASES'
GET_WORKERS_ORDERS
GET_WORKER_ORDERS(1005)
GET_ORDERS_BY_DATE_RANGE(CURRENT_DATE, CURRENT_DATE)
GET_WORKERS_ORDERS_ID
CASES
check_refused "cancelling an order twice" \
    "EXECUTE PROCEDURE ROLLBACK_WORKER_PURCHASE($order, 9001, 'Sofa Próbna 3F')" \
    "Zakup o numerze $order został już anulowany"

# --- Prices ----------------------------------------------------------------------------------------
run_ok "price change, price and key passed as text" \
    "EXECUTE PROCEDURE MODIFY_ARTICLE_PRICE('9002', 'T-3', 'Fotel Próbny', '12.50');"
run_ok "price change of an article without code" \
    "EXECUTE PROCEDURE MODIFY_ARTICLE_PRICE(9003, '', 'Krzesło Próbne', '99.90');"
check_rows "changed prices" \
    "SELECT PRICE_TO_RETURN FROM GET_ALL_PRODUCTS_INFO WHERE ODWO_ID_TO_RETURN IN (9002, 9003)" \
    "12.50
99.90"
check_refused "price change with a wrong code" \
    "EXECUTE PROCEDURE MODIFY_ARTICLE_PRICE(9002, 'T-9', 'Fotel Próbny', 10)" \
    'Brak artykułu o ODWO_ID 9002, kodzie "T-9" i nazwie "Fotel Próbny"'
check_refused "price change of an unknown article" \
    "EXECUTE PROCEDURE MODIFY_ARTICLE_PRICE(9002, 'T-3', 'Fotel Inny', 10)" \
    'Brak artykułu o ODWO_ID 9002, kodzie "T-3" i nazwie "Fotel Inny"'

# --- Text through a WIN1250 client -----------------------------------------------------------------
# Statements written in Windows-1250, output read back as Windows-1250. They go in as a file:
# isql's line reader drops bytes from its standard input that are not UTF-8.
as_win1250() {
    iconv -f UTF-8 -t CP1250 >"$work/win1250.sql"
    ISC_USER=$QM_DB_USER ISC_PASSWORD=$user_password isql-fb -q -b -ch WIN1250 \
        -i "$work/win1250.sql" "$attachment" 2>&1 | iconv -f CP1250 -t UTF-8
}
out=$(printf "SET HEADING OFF;\nSELECT NAME_TO_RETURN FROM GET_PRODUCT_INFO(9001);\nSELECT SURNAME_TO_RETURN FROM GET_WORKERS_DATA WHERE REFERENCE_NUMBER_TO_RETURN = 1003;\n" |
    as_win1250 | sed -e 's/[[:space:]]*$//' -e '/^$/d') || true
if [[ $out == $'Sofa Próbna 3F\nPufa Próbna\nWiśniewska' ]]; then
    pass "Polish letters read by a WIN1250 client"
else
    fail "Polish letters read by a WIN1250 client" "got: $out"
fi
out=$(printf "EXECUTE PROCEDURE WORKERS_PURCHASE(1005, 9001, '12/9001/78', 'Pufa Próbna');\n" |
    as_win1250) || true
if grep -qxF -- '-Artykuł o ODWO_ID 9001 i nazwie "Pufa Próbna" został już wyprzedany' <<<"$out"; then
    pass "Polish refusal text reaches a WIN1250 client"
else
    fail "Polish refusal text reaches a WIN1250 client" "got: $out"
fi

# --- Two workstations and the last piece -----------------------------------------------------------
# Both sell the one piece of key 9004 in read-committed no-wait transactions, as the program does.
# The first holds its sale uncommitted until the second has tried.
first_sold=$work/first-sold second_tried=$work/second-tried
# isql ends a SHELL command at the first ";", so the wait loop lives in a script of its own.
# shellcheck disable=SC2016
printf '%s\n' 'for i in $(seq 200); do [ -e "$1" ] && exit 0; sleep 0.1; done; exit 1' >"$work/wait.sh"
wait_for() { printf 'SHELL sh %s %s;\n' "$work/wait.sh" "$1"; }
txn='SET TRANSACTION READ WRITE NO WAIT READ COMMITTED RECORD_VERSION;'
{
    printf '%s\n' "$txn" "EXECUTE PROCEDURE WORKERS_PURCHASE(1005, 9004, '10/9004/01', 'Komoda Ostatnia');"
    printf 'SHELL touch %s;\n' "$first_sold"
    wait_for "$second_tried"
    printf 'COMMIT;\n'
} | ISC_USER=$QM_DB_USER ISC_PASSWORD=$user_password isql-fb -q -ch UTF8 "$attachment" \
    >"$work/first.out" 2>&1 &
first=$!
second_out=$({
    wait_for "$first_sold"
    printf '%s\n' "$txn"
    printf 'SHELL date +%%s%%N >%s;\n' "$work/second-start"
    printf '%s\n' "EXECUTE PROCEDURE WORKERS_PURCHASE(1006, 9004, '10/9004/02', 'Komoda Ostatnia');"
    printf 'SHELL date +%%s%%N >%s;\n' "$work/second-end"
    printf 'SHELL touch %s;\n' "$second_tried"
    printf 'ROLLBACK;\n'
} | ISC_USER=$QM_DB_USER ISC_PASSWORD=$user_password isql-fb -q -ch UTF8 "$attachment" 2>&1) || true
wait "$first" || true
# isql reports the failed statement with its SQLSTATE; 40001 is the server's lock or update
# conflict, whatever language its message is in. A no-wait write is refused at once: one that
# waited would only come back when the first gives up waiting for it (20 s).
second_ms=$((($(cat "$work/second-end" 2>/dev/null || echo 0) - $(cat "$work/second-start" 2>/dev/null || echo 0)) / 1000000))
if grep -qF "SQLSTATE = 40001" <<<"$second_out" &&
    ! grep -q "Statement failed" "$work/first.out" &&
    [[ -s $work/second-start && -s $work/second-end ]] && ((second_ms < 5000)); then
    pass "concurrent sale of the last piece meets a lock conflict"
else
    fail "concurrent sale of the last piece meets a lock conflict" \
        "first: $(cat "$work/first.out")" "second (${second_ms} ms): $second_out"
fi
check_refused "sale after the last piece went to another workstation" \
    "EXECUTE PROCEDURE WORKERS_PURCHASE(1006, 9004, '10/9004/02', 'Komoda Ostatnia')" \
    'Artykuł o ODWO_ID 9004 i nazwie "Komoda Ostatnia" został już wyprzedany'
check_rows "the last piece is sold exactly once" \
    "SELECT (SELECT AMOUNT_TO_RETURN FROM GET_PRODUCT_INFO(9004)), (SELECT COUNT(*) FROM GET_WORKERS_ORDERS_ID WHERE LABEL_TO_RETURN STARTING '10/9004/') FROM RDB\$DATABASE" \
    "0 1"

if ((failures > 0)); then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "all checks passed"
