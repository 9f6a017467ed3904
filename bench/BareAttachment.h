#pragma once

#include "db/DeploymentSettings.h"

#include <firebird/Interface.h>

namespace qm::bench {

// One attachment of the bare client, set up as the program sets up its own: a read-only
// read-committed no-wait transaction that is never committed, and the parameters of a
// read-committed no-wait write transaction for each write (startWrite), committed right after it.
// The benchmarks' bare sides add their statements on top.
class BareAttachment {
public:
    explicit BareAttachment(const db::DeploymentSettings& s)
        : master_(Firebird::fb_get_master_interface()), status_(master_->getStatus()),
          st_(status_) {
        using namespace Firebird;
        IUtil* util = master_->getUtilInterface();
        dpb_ = util->getXpbBuilder(&st_, IXpbBuilder::DPB, nullptr, 0);
        dpb_->insertString(&st_, isc_dpb_user_name, s.user.toUtf8().constData());
        dpb_->insertString(&st_, isc_dpb_password, s.password.toUtf8().constData());
        dpb_->insertString(&st_, isc_dpb_lc_ctype, "WIN1250");
        provider_ = master_->getDispatcher();
        att_ = provider_->attachDatabase(&st_, s.connectionString().toUtf8().constData(),
                                         dpb_->getBufferLength(&st_), dpb_->getBuffer(&st_));
        readTpb_ = util->getXpbBuilder(&st_, IXpbBuilder::TPB, nullptr, 0);
        writeTpb_ = util->getXpbBuilder(&st_, IXpbBuilder::TPB, nullptr, 0);
        for (auto tag : {isc_tpb_read_committed, isc_tpb_rec_version, isc_tpb_nowait}) {
            readTpb_->insertTag(&st_, tag);
            writeTpb_->insertTag(&st_, tag);
        }
        readTpb_->insertTag(&st_, isc_tpb_read);
        writeTpb_->insertTag(&st_, isc_tpb_write);
        load_ = att_->startTransaction(&st_, readTpb_->getBufferLength(&st_),
                                       readTpb_->getBuffer(&st_));
    }
    ~BareAttachment() {
        load_->rollback(&st_);
        att_->detach(&st_);
        provider_->release();
        writeTpb_->dispose();
        readTpb_->dispose();
        dpb_->dispose();
        status_->dispose();
    }
    BareAttachment(const BareAttachment&) = delete;
    BareAttachment& operator=(const BareAttachment&) = delete;

protected:
    Firebird::ITransaction* startWrite() {
        return att_->startTransaction(&st_, writeTpb_->getBufferLength(&st_),
                                      writeTpb_->getBuffer(&st_));
    }

    Firebird::IMaster* master_;
    Firebird::IStatus* status_;
    Firebird::ThrowStatusWrapper st_;
    Firebird::IXpbBuilder* dpb_ = nullptr;
    Firebird::IXpbBuilder* readTpb_ = nullptr;
    Firebird::IXpbBuilder* writeTpb_ = nullptr;
    Firebird::IProvider* provider_ = nullptr;
    Firebird::IAttachment* att_ = nullptr;
    Firebird::ITransaction* load_ = nullptr;
};

} // namespace qm::bench
