#pragma once

#include <QString>
#include <stdexcept>

namespace qm::db {

// Every failure of the database layer: the server's own message, a text that cannot be sent in
// the connection's code page, or a value that cannot be read in the asked form.
class DbError : public std::runtime_error {
public:
    explicit DbError(const QString& message)
        : std::runtime_error(message.toStdString()), text_(message) {}
    const QString& text() const { return text_; }

private:
    QString text_;
};

} // namespace qm::db
