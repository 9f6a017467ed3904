#include "Connection.h"

#include "FbClient.h"
#include "Procedure.h"

using namespace Firebird;

namespace qm::db {

Connection::Connection(DeploymentSettings settings)
    : settings_(std::move(settings)), codec_(TextCodec::forCharset(settings_.charset)) {}

Connection::~Connection() {
    try {
        close();
    } catch (...) {
        // Nothing can be reported from here; every write was committed when it was made.
    }
}

void Connection::open() {
    if (attachment_)
        return;
    loadClientLibrary(clientLibraryPath());
    Status st(codec_);
    Ref<IXpbBuilder> dpb(firebirdUtil()->getXpbBuilder(&st, IXpbBuilder::DPB, nullptr, 0));
    dpb->insertString(&st, isc_dpb_user_name, settings_.user.toUtf8().constData());
    dpb->insertString(&st, isc_dpb_password, settings_.password.toUtf8().constData());
    dpb->insertString(&st, isc_dpb_lc_ctype, codec_.charsetName().toLatin1().constData());
    Ref<IProvider> provider(firebirdMaster()->getDispatcher());
    const QByteArray target = settings_.connectionString().toUtf8();
    attachment_.reset(provider->attachDatabase(&st, target.constData(), dpb->getBufferLength(&st),
                                               dpb->getBuffer(&st)));
}

void Connection::close() {
    for (Procedure* p : std::set<Procedure*>(procedures_)) {
        p->close();
        p->releaseStatement();
    }
    if (!attachment_)
        return;
    if (lost_) {
        letGo();
        lost_ = false;
        return;
    }
    rollback(TransactionRole::OnlySave);
    rollback(TransactionRole::OnlyLoad);
    Status st(codec_);
    endQuietly(attachment_, [&](IAttachment* a) { a->detach(&st); });
}

void Connection::letGo() {
    // The server has shut this attachment down or the line is gone: asking it to roll back, free
    // or detach can wait for an answer that never comes. Its transactions and statements ended
    // with it on the server's side; the client's handles are let go without a word to the server.
    for (Procedure* p : procedures_)
        p->forgetStatement();
    onlySave_.forget();
    onlyLoad_.forget();
    attachment_.forget();
}

void Connection::reconnect() {
    letGo();
    open();
    lost_ = false;
    ++reconnects_;
}

void Connection::noteFailure(const DbError& e) {
    if (e.isConnectionLost())
        lost_ = true;
}

IAttachment* Connection::attachment() {
    if (!attachment_)
        throw DbError(QStringLiteral("Brak połączenia z bazą danych."));
    return attachment_.get();
}

bool Connection::transactionActive(TransactionRole role) const {
    return bool(role == TransactionRole::OnlyLoad ? onlyLoad_ : onlySave_);
}

ITransaction* Connection::transaction(TransactionRole role) {
    Ref<ITransaction>& current = slot(role);
    if (current)
        return current.get();
    IAttachment* att = attachment();
    Status st(codec_);
    Ref<IXpbBuilder> tpb(firebirdUtil()->getXpbBuilder(&st, IXpbBuilder::TPB, nullptr, 0));
    tpb->insertTag(&st, role == TransactionRole::OnlyLoad ? isc_tpb_read : isc_tpb_write);
    tpb->insertTag(&st, isc_tpb_read_committed);
    tpb->insertTag(&st, isc_tpb_rec_version);
    tpb->insertTag(&st, isc_tpb_nowait);
    current.reset(att->startTransaction(&st, tpb->getBufferLength(&st), tpb->getBuffer(&st)));
    return current.get();
}

void Connection::commit(TransactionRole role) {
    Ref<ITransaction>& current = slot(role);
    Status st(codec_);
    try {
        end(current, [&](ITransaction* t) { t->commit(&st); });
    } catch (const DbError& e) {
        noteFailure(e); // a commit that lost the line must not wait for a rollback's answer
        rollback(role);
        throw;
    }
}

void Connection::rollback(TransactionRole role) {
    if (lost_) {
        slot(role).forget();
        return;
    }
    Status st(codec_);
    endQuietly(slot(role), [&](ITransaction* t) { t->rollback(&st); });
}

} // namespace qm::db
