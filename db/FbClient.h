#pragma once

#include "DbError.h"
#include "FbRef.h"
#include "TextCodec.h"

#include <firebird/Interface.h>

namespace qm::db {

// The Firebird client library, loaded when it is first needed rather than by the system's
// loader, so that a workstation without it gets the program's own message: $QUELMORA_FBCLIENT
// when set, else libfbclient.so.2 from the system's library path.
QString clientLibraryPath();

// Loads the client library at path (once; later calls find it loaded) and gives its master
// interface. Throws DbError naming the library when it cannot be loaded or is not a Firebird 3
// client.
Firebird::IMaster* loadClientLibrary(const QString& path);

// The master and utility interfaces of the client library at clientLibraryPath().
Firebird::IMaster* firebirdMaster();
Firebird::IUtil* firebirdUtil();

// A status of the client library that throws DbError, with the error's codes, SQLSTATE and text
// in the given code page, as soon as a call reports an error. Pass its address to the calls.
class Status : public Firebird::BaseStatusWrapper<Status> {
public:
    explicit Status(const TextCodec& codec);
    ~Status();
    Status(const Status&) = delete;
    Status& operator=(const Status&) = delete;

    static void checkException(Status* status) {
        if (status->dirty && (status->getState() & Firebird::IStatus::STATE_ERRORS))
            status->raise();
    }

private:
    [[noreturn]] void raise();
    const TextCodec& codec_;
};

// The error a status vector of the client describes, with its codes and SQLSTATE; the text is
// the client's own, decoded from the given code page.
DbError statusError(const intptr_t* vector, const QString& text);

// Ends the object with its closing call where nothing can be reported any more (closing, or
// cleaning up after an earlier failure): when the call fails the object is only released.
template <class T, class Call> void endQuietly(Ref<T>& ref, Call&& closingCall) {
    try {
        end(ref, std::forward<Call>(closingCall));
    } catch (const DbError&) {
        ref.reset();
    }
}

} // namespace qm::db
