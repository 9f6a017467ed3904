#pragma once

#include <firebird/Interface.h>

namespace qm::db {

Firebird::IMaster* firebirdMaster();

// A status vector of the client that throws Firebird::FbException on any error.
struct FbStatus {
    FbStatus() : raw(firebirdMaster()->getStatus()), wrapper(raw) {}
    ~FbStatus() { raw->dispose(); }
    FbStatus(const FbStatus&) = delete;
    FbStatus& operator=(const FbStatus&) = delete;
    Firebird::IStatus* raw;
    Firebird::ThrowStatusWrapper wrapper;
};

} // namespace qm::db
