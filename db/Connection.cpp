#include "Connection.h"

#include "DbError.h"
#include "FbStatus.h"
#include "Procedure.h"

#include <firebird/Interface.h>

#include <vector>

using namespace Firebird;

namespace qm::db {

IMaster* firebirdMaster() {
    static IMaster* master = fb_get_master_interface();
    return master;
}

IUtil* firebirdUtil() {
    static IUtil* util = firebirdMaster()->getUtilInterface();
    return util;
}

QString firebirdMessage(const FbException& e, const TextCodec& codec) {
    std::vector<char> buffer(4096);
    firebirdUtil()->formatStatus(buffer.data(), unsigned(buffer.size()), e.getStatus());
    return codec.decode(buffer.data(), qsizetype(strnlen(buffer.data(), buffer.size())));
}

Connection::Connection(DeploymentSettings settings)
    : settings_(std::move(settings)), codec_(TextCodec::forCharset(settings_.charset)) {}

Connection::~Connection() {
    try {
        close();
    } catch (...) {
        // Nothing can be reported from here; every write was committed when it was made.
    }
}

void Connection::rethrow(const FbException& e) const {
    throw DbError(firebirdMessage(e, codec_));
}

void Connection::open() {
    if (attachment_)
        return;
    FbStatus st;
    IXpbBuilder* dpb = nullptr;
    try {
        dpb = firebirdUtil()->getXpbBuilder(&st.wrapper, IXpbBuilder::DPB, nullptr, 0);
        dpb->insertString(&st.wrapper, isc_dpb_user_name, settings_.user.toUtf8().constData());
        dpb->insertString(&st.wrapper, isc_dpb_password, settings_.password.toUtf8().constData());
        dpb->insertString(&st.wrapper, isc_dpb_lc_ctype,
                          codec_.charsetName().toLatin1().constData());
        IProvider* provider = firebirdMaster()->getDispatcher();
        const QByteArray target = settings_.connectionString().toUtf8();
        try {
            attachment_ = provider->attachDatabase(&st.wrapper, target.constData(),
                                                   dpb->getBufferLength(&st.wrapper),
                                                   dpb->getBuffer(&st.wrapper));
        } catch (...) {
            provider->release();
            throw;
        }
        provider->release();
        dpb->dispose();
    } catch (const FbException& e) {
        if (dpb)
            dpb->dispose();
        rethrow(e);
    }
}

void Connection::close() {
    for (Procedure* p : std::set<Procedure*>(procedures_)) {
        p->close();
        p->releaseStatement();
    }
    if (!attachment_)
        return;
    rollback(TransactionRole::OnlySave);
    rollback(TransactionRole::OnlyLoad);
    FbStatus st;
    try {
        attachment_->detach(&st.wrapper);
    } catch (const FbException&) {
        attachment_->release();
    }
    attachment_ = nullptr;
}

IAttachment* Connection::attachment() {
    if (!attachment_)
        throw DbError(QStringLiteral("Brak połączenia z bazą danych."));
    return attachment_;
}

bool Connection::transactionActive(TransactionRole role) const {
    return (role == TransactionRole::OnlyLoad ? onlyLoad_ : onlySave_) != nullptr;
}

ITransaction* Connection::transaction(TransactionRole role) {
    ITransaction*& slot = role == TransactionRole::OnlyLoad ? onlyLoad_ : onlySave_;
    if (slot)
        return slot;
    IAttachment* att = attachment();
    FbStatus st;
    IXpbBuilder* tpb = nullptr;
    try {
        tpb = firebirdUtil()->getXpbBuilder(&st.wrapper, IXpbBuilder::TPB, nullptr, 0);
        tpb->insertTag(&st.wrapper,
                       role == TransactionRole::OnlyLoad ? isc_tpb_read : isc_tpb_write);
        tpb->insertTag(&st.wrapper, isc_tpb_read_committed);
        tpb->insertTag(&st.wrapper, isc_tpb_rec_version);
        tpb->insertTag(&st.wrapper, isc_tpb_nowait);
        slot = att->startTransaction(&st.wrapper, tpb->getBufferLength(&st.wrapper),
                                     tpb->getBuffer(&st.wrapper));
        tpb->dispose();
    } catch (const FbException& e) {
        if (tpb)
            tpb->dispose();
        rethrow(e);
    }
    return slot;
}

void Connection::commit(TransactionRole role) {
    ITransaction*& slot = role == TransactionRole::OnlyLoad ? onlyLoad_ : onlySave_;
    if (!slot)
        return;
    FbStatus st;
    try {
        slot->commit(&st.wrapper);
        slot = nullptr;
    } catch (const FbException& e) {
        rethrow(e);
    }
}

void Connection::rollback(TransactionRole role) {
    ITransaction*& slot = role == TransactionRole::OnlyLoad ? onlyLoad_ : onlySave_;
    if (!slot)
        return;
    FbStatus st;
    try {
        slot->rollback(&st.wrapper);
    } catch (const FbException&) {
        slot->release();
    }
    slot = nullptr;
}

} // namespace qm::db
