#pragma once

#include "core/Error.h"

#include <QString>
#include <stdexcept>

namespace qm::db {

// The settings of one installation: where the database is and the employer's address printed on
// the statement. The operator never changes them; they come from one INI file.
struct DeploymentSettings {
    QString server = QStringLiteral("127.0.0.1");
    QString port = QStringLiteral("3050");
    QString database = QStringLiteral("/baza/quelmora.fdb");
    QString user = QStringLiteral("QUELMORA");
    QString password; // plain, after deciphering
    QString charset = QStringLiteral("WIN1250");
    QString placeName;
    QString employerStreet;
    QString employerPostcode;

    // "server/port:path", the attachment string of the Firebird client.
    QString connectionString() const;

    // The file to read: $QUELMORA_DEPLOYMENT when set, else quelmora.ini in executableDir when it
    // exists, else /etc/quelmora/quelmora.ini.
    static QString locate(const QString& executableDir);

    // A missing file gives the defaults. A malformed one throws SettingsError; the message names
    // the file and the line but never a password.
    static DeploymentSettings load(const QString& path);

    // Parses INI text; origin names the source in error messages.
    static DeploymentSettings parse(const QString& text, const QString& origin);
};

class SettingsError : public qm::Error {
public:
    using Error::Error;
};

// The stored form of the password. This keeps it from casual reading, not from an attacker: the
// key is in the program.
QString encipherPassword(const QString& plain);
// Throws SettingsError when the text is not an enciphered password.
QString decipherPassword(const QString& stored);

} // namespace qm::db
