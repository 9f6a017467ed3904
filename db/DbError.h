#pragma once

#include "core/Error.h"

#include <QString>
#include <vector>

namespace qm::db {

// Every failure of the database layer: the server's own message, a text that cannot be sent in
// the connection's code page, or a value that cannot be read in the asked form.
//
// An error of the server or the client library keeps the Firebird error codes of its status
// (isc_lock_conflict, isc_network_error, ...) and its SQLSTATE beside the text, so callers ask
// what happened by code. An error of the program's own making carries no code.
class DbError : public qm::Error {
public:
    explicit DbError(const QString& text) : Error(text) {}
    DbError(const QString& text, std::vector<long> codes, QString sqlState);

    // The first significant Firebird error code of the status; 0 when the error is not the
    // server's or the client library's.
    long code() const;
    // Every Firebird error code of the status, in order.
    const std::vector<long>& codes() const { return codes_; }
    bool hasCode(long code) const;
    // Five characters, as the server reported it; empty when there is none.
    const QString& sqlState() const { return sqlState_; }

    // Another transaction holds the row: the write failed at once instead of waiting.
    bool isLockConflict() const;
    // The attachment is gone (network failure, server or connection shut down).
    bool isConnectionLost() const;
    // A value could not be converted to the parameter's or column's type by the server.
    bool isConversionError() const;
    // A procedure refused the call with an exception of its own (an article sold out, an order
    // not found, ...).
    bool isProcedureRefusal() const;

    // For the three failures a counter meets in practice: a lost connection (or a server that
    // refuses to attach again while it starts after one), another workstation's lock, a value the
    // server cannot convert.
    QString advice() const override;

private:
    std::vector<long> codes_;
    QString sqlState_;
};

} // namespace qm::db
