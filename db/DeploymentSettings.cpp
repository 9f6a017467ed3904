#include "DeploymentSettings.h"

#include "DbError.h"
#include "TextCodec.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>

namespace qm::db {

namespace {

constexpr char kCipherPrefix[] = "enc1:";
constexpr unsigned char kKey[] = {0x5a, 0x17, 0xc3, 0x91, 0x2e, 0x7b, 0xd4, 0x08, 0x66, 0xb2, 0x39,
                                  0xe5, 0x4f, 0x80, 0x1d, 0xaa, 0x73, 0x0c, 0x9e, 0x45, 0xf1, 0x28,
                                  0xb7, 0x6d, 0x13, 0xca, 0x84, 0x5e, 0x3b, 0xe9, 0x02, 0x97};

QByteArray xorWithKey(QByteArray data) {
    for (qsizetype i = 0; i < data.size(); ++i)
        data[i] = static_cast<char>(data[i] ^ kKey[i % sizeof kKey] ^ static_cast<char>(i * 31));
    return data;
}

} // namespace

QString encipherPassword(const QString& plain) {
    return QLatin1String(kCipherPrefix) +
           QString::fromLatin1(xorWithKey(plain.toUtf8()).toBase64());
}

QString decipherPassword(const QString& stored) {
    if (!stored.startsWith(QLatin1String(kCipherPrefix)))
        throw SettingsError(QStringLiteral("hasło nie jest zapisane w postaci zaszyfrowanej"));
    const auto decoded =
        QByteArray::fromBase64Encoding(stored.mid(int(sizeof kCipherPrefix) - 1).toLatin1(),
                                       QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded)
        throw SettingsError(QStringLiteral("zaszyfrowane hasło jest uszkodzone"));
    return QString::fromUtf8(xorWithKey(*decoded));
}

QString DeploymentSettings::connectionString() const {
    return server + QLatin1Char('/') + port + QLatin1Char(':') + database;
}

QString DeploymentSettings::locate(const QString& executableDir) {
    const QString fromEnv = qEnvironmentVariable("QUELMORA_DEPLOYMENT");
    if (!fromEnv.isEmpty())
        return fromEnv;
    const QString beside = executableDir + QStringLiteral("/quelmora.ini");
    if (!executableDir.isEmpty() && QFileInfo::exists(beside))
        return beside;
    return QStringLiteral("/etc/quelmora/quelmora.ini");
}

DeploymentSettings DeploymentSettings::load(const QString& path) {
    QFile file(path);
    if (!file.exists())
        return {};
    if (!file.open(QIODevice::ReadOnly))
        throw SettingsError(QStringLiteral("Nie można odczytać pliku ustawień %1: %2")
                                .arg(path, file.errorString()));
    return parse(QString::fromUtf8(file.readAll()), path);
}

DeploymentSettings DeploymentSettings::parse(const QString& text, const QString& origin) {
    DeploymentSettings s;
    QString section;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (int n = 0; n < lines.size(); ++n) {
        const QString line = lines[n].trimmed();
        const auto fail = [&](const QString& why) {
            return SettingsError(QStringLiteral("Błędny plik ustawień %1, wiersz %2: %3")
                                     .arg(origin)
                                     .arg(n + 1)
                                     .arg(why));
        };
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')) ||
            line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('['))) {
            if (!line.endsWith(QLatin1Char(']')))
                throw fail(QStringLiteral("niezamknięta nazwa sekcji"));
            section = line.mid(1, line.size() - 2).trimmed().toLower();
            if (section != QLatin1String("database") && section != QLatin1String("statement"))
                throw fail(QStringLiteral("nieznana sekcja [%1]").arg(section));
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0)
            throw fail(QStringLiteral("oczekiwano „klucz=wartość”"));
        if (section.isEmpty())
            throw fail(QStringLiteral("wpis poza sekcją"));
        const QString key = line.left(eq).trimmed().toLower();
        const QString value = line.mid(eq + 1).trimmed();
        QString* target = nullptr;
        if (section == QLatin1String("database")) {
            if (key == QLatin1String("server"))
                target = &s.server;
            else if (key == QLatin1String("port"))
                target = &s.port;
            else if (key == QLatin1String("path"))
                target = &s.database;
            else if (key == QLatin1String("user"))
                target = &s.user;
            else if (key == QLatin1String("charset")) {
                // The connection's code page: a name the program cannot use is refused here,
                // with the rest of the file, rather than when the connection is made.
                try {
                    TextCodec::forCharset(value);
                } catch (const DbError&) {
                    throw fail(QStringLiteral("nieobsługiwany zestaw znaków „%1=%2”; dozwolone "
                                              "wartości: WIN1250, UTF8")
                                   .arg(key, value));
                }
                target = &s.charset;
            } else if (key == QLatin1String("password")) {
                try {
                    s.password = decipherPassword(value);
                } catch (const SettingsError& e) {
                    throw fail(e.text());
                }
                continue;
            }
        } else {
            if (key == QLatin1String("place"))
                target = &s.placeName;
            else if (key == QLatin1String("street"))
                target = &s.employerStreet;
            else if (key == QLatin1String("postcode"))
                target = &s.employerPostcode;
        }
        if (!target)
            throw fail(QStringLiteral("nieznany klucz „%1” w sekcji [%2]").arg(key, section));
        *target = value;
    }
    bool portOk = false;
    const int port = s.port.toInt(&portOk);
    if (!portOk || port <= 0 || port > 65535)
        throw SettingsError(
            QStringLiteral("Błędny plik ustawień %1: port „%2” nie jest numerem portu")
                .arg(origin, s.port));
    return s;
}

} // namespace qm::db
