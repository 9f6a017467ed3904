#pragma once

#include "core/Error.h"

namespace qm::db {

// Every failure of the database layer: the server's own message, a text that cannot be sent in
// the connection's code page, or a value that cannot be read in the asked form.
class DbError : public qm::Error {
public:
    using Error::Error;
};

} // namespace qm::db
