#pragma once

#include <QString>
#include <QStringList>

namespace qm::shell {

// The check of a workstation's deployment settings, run by `Vantorix --check-settings` before a
// fair opens: the file is read as start-up reads it, the database is reached once and asked for
// its date, and the statement's place and address lines are looked at. Every problem found is
// one Polish text; the check passes only when the counter would start and print a complete
// statement.
struct SettingsCheck {
    QString file;
    QStringList notes;    // what was found: the file read, the database and the server's date
    QStringList problems; // what is wrong, in the order checked

    bool passed() const { return problems.isEmpty(); }
};

// Checks the settings file at path.
SettingsCheck checkSettings(const QString& path);

// Checks the file that start-up would read for a program in executableDir, prints the notes on
// stdout and the problems on stderr, and returns the exit status: 0 when the check passed,
// 1 otherwise.
int runSettingsCheck(const QString& executableDir);

} // namespace qm::shell
