#pragma once

#include <QString>
#include <stdexcept>

namespace qm {

// Every failure the program reports to the operator carries its Polish text; the general error
// report shows that text whatever layer the failure came from.
class Error : public std::runtime_error {
public:
    explicit Error(const QString& message)
        : std::runtime_error(message.toStdString()), text_(message) {}
    const QString& text() const { return text_; }
    // One plain sentence for the operator saying what happened and what to do, put before the
    // text in the general error report; empty when the text says it all.
    virtual QString advice() const { return {}; }

private:
    QString text_;
};

// A failure of the program's own making (a text that cannot be converted, say), reported like
// any database error.
class AppError : public Error {
public:
    using Error::Error;
};

} // namespace qm
