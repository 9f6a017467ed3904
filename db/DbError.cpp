#include "DbError.h"

#include <firebird/Interface.h>

#include <algorithm>

namespace qm::db {

DbError::DbError(const QString& text, std::vector<long> codes, QString sqlState)
    : Error(text), codes_(std::move(codes)), sqlState_(std::move(sqlState)) {}

long DbError::code() const {
    // "Dynamic SQL Error" and "SQL error code = n" only say that a statement failed; the code
    // after them says why.
    for (long c : codes_)
        if (c != isc_dsql_error && c != isc_sqlerr)
            return c;
    return codes_.empty() ? 0 : codes_.front();
}

bool DbError::hasCode(long code) const {
    return std::find(codes_.begin(), codes_.end(), code) != codes_.end();
}

bool DbError::isLockConflict() const {
    return hasCode(isc_lock_conflict) || hasCode(isc_update_conflict) || hasCode(isc_deadlock);
}

bool DbError::isConnectionLost() const {
    for (long c : {isc_network_error, isc_net_read_err, isc_net_write_err, isc_shutdown,
                   isc_att_shutdown, isc_conn_lost, isc_lost_db_connection})
        if (hasCode(c))
            return true;
    return false;
}

bool DbError::isConversionError() const {
    return hasCode(isc_convert_error);
}

bool DbError::isProcedureRefusal() const {
    return hasCode(isc_except);
}

QString DbError::advice() const {
    // A server starting again after a failure refuses attachments for a moment; the attachment
    // that follows a lost one can meet that refusal, which for the operator is the same loss.
    if (isConnectionLost() || hasCode(isc_connect_reject))
        return QStringLiteral("Połączenie z serwerem bazy danych zostało przerwane. Sprawdź sieć i "
                              "serwer bazy danych, a potem powtórz czynność.");
    if (isLockConflict())
        return QStringLiteral("Inne stanowisko właśnie zapisuje ten sam artykuł. Poczekaj chwilę i "
                              "powtórz czynność.");
    if (isConversionError())
        return QStringLiteral("Serwer bazy danych nie mógł odczytać podanej wartości jako liczby "
                              "lub daty. Sprawdź wpisaną wartość.");
    return {};
}

} // namespace qm::db
