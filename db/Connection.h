#pragma once

#include "DbError.h"
#include "DeploymentSettings.h"
#include "FbRef.h"
#include "TextCodec.h"

#include <set>

namespace Firebird {
class IAttachment;
class ITransaction;
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
    // Throws DbError when the settings name a character set the program cannot use.
    explicit Connection(DeploymentSettings settings);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Loads the client library if need be and attaches. Throws DbError with the client's own
    // text when the database cannot be reached.
    void open();
    void close();
    bool isOpen() const { return bool(attachment_); }

    const DeploymentSettings& settings() const { return settings_; }
    const TextCodec& codec() const { return codec_; }

    // Whether a transaction is active now; for tests and diagnostics.
    bool transactionActive(TransactionRole role) const;

private:
    friend class Procedure;
    Firebird::ITransaction* transaction(TransactionRole role);
    // Commits the transaction. A commit that fails still ends the transaction (rolled back, or
    // released when even that fails), so the next write never runs in it, then the commit's
    // error propagates.
    void commit(TransactionRole role);
    void rollback(TransactionRole role);
    void attach(Procedure* p) { procedures_.insert(p); }
    void detach(Procedure* p) { procedures_.erase(p); }
    Firebird::IAttachment* attachment();
    // Remembers a failure that says the server no longer serves the attachment; from then on no
    // closing call waits for the server's answer.
    void noteFailure(const DbError& e);
    bool lost() const { return lost_; }
    Ref<Firebird::ITransaction>& slot(TransactionRole role) {
        return role == TransactionRole::OnlyLoad ? onlyLoad_ : onlySave_;
    }

    DeploymentSettings settings_;
    TextCodec codec_;
    Ref<Firebird::IAttachment> attachment_;
    Ref<Firebird::ITransaction> onlyLoad_;
    Ref<Firebird::ITransaction> onlySave_;
    bool lost_ = false;
    std::set<Procedure*> procedures_;
};

} // namespace qm::db
