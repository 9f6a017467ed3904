#include "TextCodec.h"

#include "core/Win1250.h"

#include "DbError.h"

#include <array>

namespace qm::db {

namespace {

constexpr unsigned kFbCharsetWin1250 = 51;
constexpr unsigned kFbCharsetUtf8 = 4;

// Every byte as its character; U+FFFD (the replacement character) for the five bytes the code
// page leaves undefined.
constexpr std::array<char16_t, 256> kWin1250Chars = [] {
    std::array<char16_t, 256> chars{};
    for (unsigned b = 0; b < 0x80; ++b)
        chars[b] = char16_t(b);
    for (unsigned b = 0x80; b < 0x100; ++b)
        chars[b] = kWin1250High[b - 0x80] != 0 ? kWin1250High[b - 0x80] : u'\uFFFD';
    return chars;
}();

QString describe(char32_t cp) {
    return QStringLiteral("U+%1").arg(static_cast<uint>(cp), 4, 16, QLatin1Char('0')).toUpper();
}

} // namespace

TextCodec TextCodec::forCharset(const QString& charsetName) {
    const QString name = charsetName.trimmed().toUpper();
    if (name == QLatin1String("WIN1250"))
        return TextCodec(Kind::Win1250);
    if (name == QLatin1String("UTF8") || name == QLatin1String("UTF-8"))
        return TextCodec(Kind::Utf8);
    throw DbError(QStringLiteral("Nieobsługiwany zestaw znaków połączenia: %1").arg(charsetName));
}

QString TextCodec::charsetName() const {
    return kind_ == Kind::Win1250 ? QStringLiteral("WIN1250") : QStringLiteral("UTF8");
}

unsigned TextCodec::firebirdCharsetId() const {
    return kind_ == Kind::Win1250 ? kFbCharsetWin1250 : kFbCharsetUtf8;
}

QByteArray TextCodec::encode(const QString& text) const {
    if (kind_ == Kind::Utf8) {
        for (qsizetype i = 0; i < text.size(); ++i) {
            const QChar c = text.at(i);
            if (c.isSurrogate() &&
                !(c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()))
                throw DbError(QStringLiteral("Tekst zawiera niepoprawny znak (%1) i nie został "
                                             "wysłany do bazy danych.")
                                  .arg(describe(c.unicode())));
            if (c.isHighSurrogate())
                ++i;
        }
        return text.toUtf8();
    }
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text.at(i).unicode();
        if (u < 0x80) {
            out.append(static_cast<char>(u));
            continue;
        }
        int found = -1;
        for (int b = 0; b < 128; ++b) {
            if (kWin1250High[b] == u && u != 0) {
                found = b;
                break;
            }
        }
        if (found < 0) {
            char32_t cp = u;
            QString shown(text.at(i));
            if (text.at(i).isHighSurrogate() && i + 1 < text.size()) {
                cp = QChar::surrogateToUcs4(text.at(i), text.at(i + 1));
                shown = text.mid(i, 2);
            }
            throw DbError(QStringLiteral("Znak „%1” (%2) nie istnieje w stronie kodowej %3; "
                                         "tekst nie został wysłany do bazy danych.")
                              .arg(shown, describe(cp), charsetName()));
        }
        out.append(static_cast<char>(0x80 + found));
    }
    return out;
}

QString TextCodec::decode(const char* data, qsizetype size) const {
    if (kind_ == Kind::Utf8)
        return QString::fromUtf8(data, size);
    QString out(size, Qt::Uninitialized);
    QChar* to = out.data();
    for (qsizetype i = 0; i < size; ++i)
        to[i] = QChar(kWin1250Chars[static_cast<unsigned char>(data[i])]);
    return out;
}

} // namespace qm::db
