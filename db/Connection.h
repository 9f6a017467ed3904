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
//
// When a call finds the attachment gone (a network failure, the server shut down or restarted,
// the attachment shut down by an administrator), the connection remembers it: the next call of a
// procedure attaches again first. A query that meets the loss attaches again at once and runs
// once more; a write never runs twice (its outcome is the caller's to find out).
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

    // Whether the last call found the attachment gone; the next call of a procedure attaches again
    // before it runs.
    bool lost() const { return lost_; }
    // Lets every handle of the old attachment go without a word to the server and attaches again.
    // The results the procedures hold stay; their statements are prepared again on their next
    // call. Throws DbError when the server still cannot be reached: the connection stays lost and
    // the next call tries again.
    void reconnect();
    // How many times the connection attached again after a loss; for tests and diagnostics.
    int reconnects() const { return reconnects_; }

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
    // Forgets the handles of a lost attachment: the server ended them with it.
    void letGo();
    Ref<Firebird::ITransaction>& slot(TransactionRole role) {
        return role == TransactionRole::OnlyLoad ? onlyLoad_ : onlySave_;
    }

    DeploymentSettings settings_;
    TextCodec codec_;
    Ref<Firebird::IAttachment> attachment_;
    Ref<Firebird::ITransaction> onlyLoad_;
    Ref<Firebird::ITransaction> onlySave_;
    bool lost_ = false;
    int reconnects_ = 0;
    std::set<Procedure*> procedures_;
};

} // namespace qm::db
