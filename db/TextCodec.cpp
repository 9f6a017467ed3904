#include "TextCodec.h"

#include "DbError.h"

#include <array>

namespace qm::db {

namespace {

// Windows-1250, bytes 0x80 to 0xFF; 0 marks the five bytes the code page leaves undefined.
constexpr std::array<char16_t, 128> kWin1250High = {
    0x20AC, 0x0000, 0x201A, 0x0000, 0x201E, 0x2026, 0x2020, 0x2021, 0x0000, 0x2030, 0x0160, 0x2039,
    0x015A, 0x0164, 0x017D, 0x0179, 0x0000, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0000, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A, 0x00A0, 0x02C7, 0x02D8, 0x0141,
    0x00A4, 0x0104, 0x00A6, 0x00A7, 0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B,
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7, 0x00B8, 0x0105, 0x015F, 0x00BB,
    0x013D, 0x02DD, 0x013E, 0x017C, 0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7,
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E, 0x0110, 0x0143, 0x0147, 0x00D3,
    0x00D4, 0x0150, 0x00D6, 0x00D7, 0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7, 0x010D, 0x00E9, 0x0119, 0x00EB,
    0x011B, 0x00ED, 0x00EE, 0x010F, 0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7,
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,
};

constexpr unsigned kFbCharsetWin1250 = 51;
constexpr unsigned kFbCharsetUtf8 = 4;

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
    QString out;
    out.reserve(size);
    for (qsizetype i = 0; i < size; ++i) {
        const auto b = static_cast<unsigned char>(data[i]);
        if (b < 0x80)
            out.append(QChar(b));
        else if (const char16_t u = kWin1250High[b - 0x80]; u != 0)
            out.append(QChar(u));
        else
            out.append(QChar(0xFFFD));
    }
    return out;
}

} // namespace qm::db
