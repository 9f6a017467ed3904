#pragma once

#include <QByteArray>
#include <QString>

namespace qm::db {

// The connection's character set: texts travel to and from the server in it.
class TextCodec {
public:
    enum class Kind { Win1250, Utf8 };

    // Accepts "WIN1250" and "UTF8" (any letter case); throws DbError for any other name.
    static TextCodec forCharset(const QString& charsetName);

    Kind kind() const { return kind_; }
    QString charsetName() const;
    unsigned firebirdCharsetId() const;

    // Throws DbError naming the first character the code page cannot represent; nothing is
    // replaced silently.
    QByteArray encode(const QString& text) const;
    QString decode(const char* data, qsizetype size) const;
    QString decode(const QByteArray& bytes) const {
        return decode(bytes.constData(), bytes.size());
    }

private:
    explicit TextCodec(Kind kind) : kind_(kind) {}
    Kind kind_;
};

} // namespace qm::db
