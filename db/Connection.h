#pragma once

#include "DeploymentSettings.h"
#include "TextCodec.h"

#include <set>

namespace Firebird {
class IAttachment;
class ITransaction;
class IMaster;
class IUtil;
class FbException;
} // namespace Firebird

namespace qm::db {

class Procedure;

enum class TransactionRole { OnlyLoad, OnlySave };

// The program's one attachment (ibcdbQXR) with its two transactions:
// ibctOnlyLoad: read-only, read committed record versions, no wait; started by the first query and
//               never committed;
// ibctOnlySave: read-write, read committed record versions, no wait; started by each write and
//               committed right after it.
// Both are rolled back when the connection closes while they are still active.
class Connection {
public:
    explicit Connection(DeploymentSettings settings);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Throws DbError with the client's own text when the database cannot be reached.
    void open();
    void close();
    bool isOpen() const { return attachment_ != nullptr; }

    const DeploymentSettings& settings() const { return settings_; }
    const TextCodec& codec() const { return codec_; }

    // Whether a transaction is active now; for tests and diagnostics.
    bool transactionActive(TransactionRole role) const;

private:
    friend class Procedure;
    Firebird::ITransaction* transaction(TransactionRole role);
    void commit(TransactionRole role);
    void rollback(TransactionRole role);
    void attach(Procedure* p) { procedures_.insert(p); }
    void detach(Procedure* p) { procedures_.erase(p); }
    Firebird::IAttachment* attachment();
    [[noreturn]] void rethrow(const Firebird::FbException& e) const;

    DeploymentSettings settings_;
    TextCodec codec_;
    Firebird::IAttachment* attachment_ = nullptr;
    Firebird::ITransaction* onlyLoad_ = nullptr;
    Firebird::ITransaction* onlySave_ = nullptr;
    std::set<Procedure*> procedures_;
};

// Firebird's master and utility interfaces of the client library.
Firebird::IMaster* firebirdMaster();
Firebird::IUtil* firebirdUtil();
// Turns a Firebird client exception into its message text in the connection's code page.
QString firebirdMessage(const Firebird::FbException& e, const TextCodec& codec);

} // namespace qm::db
