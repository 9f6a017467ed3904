// The workstation's settings check against the local server: a good file passes, and each broken
// file gives its own Polish message and a failing exit status.
#include "db/DeploymentSettings.h"
#include "shell/SettingsCheck.h"
#include "support/TestDatabase.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <utility>
#include <vector>

using qm::db::encipherPassword;
using qm::shell::checkSettings;
using qm::shell::runSettingsCheck;
using qm::test::TestDatabase;

namespace {

const QString kGoodFile = QStringLiteral("; stanowisko 1\n"
                                         "[database]\n"
                                         "server=127.0.0.1\n"
                                         "port=3050\n"
                                         "path=%PATH%\n"
                                         "user=QUELMORA\n"
                                         "password=%PASSWORD%\n"
                                         "charset=WIN1250\n"
                                         "\n"
                                         "[statement]\n"
                                         "place=Swarzędz\n"
                                         "street=ul. Przemysłowa 14\n"
                                         "postcode=62-020 Swarzędz\n");

class SettingsCheckTest : public ::testing::Test {
protected:
    using Edits = std::vector<std::pair<QString, QString>>;

    // The good file with each edit's first text replaced by its second, written as
    // settings.ini; returns its path.
    QString writeSettings(const Edits& edits = {},
                          const TestDatabase& db = TestDatabase::shared()) {
        QString text = kGoodFile;
        for (const auto& [from, to] : edits) {
            EXPECT_TRUE(text.contains(from)) << from.toStdString();
            text.replace(from, to);
        }
        text.replace(QLatin1String("%PATH%"), db.path());
        text.replace(QLatin1String("%PASSWORD%"), encipherPassword(db.settings().password));
        text.replace(QLatin1String("%WRONG%"), encipherPassword(QStringLiteral("nie-to-hasło")));
        const QString path = dir_.filePath(QStringLiteral("settings.ini"));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text.toUtf8());
        return path;
    }

    // Runs the check as `Vantorix --check-settings` does, with the file named by the environment.
    static int exitStatus(const QString& path) {
        qputenv("QUELMORA_DEPLOYMENT", path.toUtf8());
        const int status = runSettingsCheck(QString());
        qunsetenv("QUELMORA_DEPLOYMENT");
        return status;
    }

    QTemporaryDir dir_;
};

TEST_F(SettingsCheckTest, GoodFilePassesAfterAskingTheServerForItsDate) {
    const QString path = writeSettings();
    const auto check = checkSettings(path);
    EXPECT_TRUE(check.passed()) << check.problems.join(QLatin1Char('\n')).toStdString();
    ASSERT_EQ(check.notes.size(), 2);
    EXPECT_EQ(check.notes[0], QStringLiteral("Plik ustawień: ") + path);
    EXPECT_TRUE(check.notes[1].contains(QStringLiteral("data serwera: ")))
        << check.notes[1].toStdString();
    EXPECT_EQ(exitStatus(path), 0);
}

TEST_F(SettingsCheckTest, EachBrokenFileIsNamedInPolishAndFails) {
    const struct {
        const char* name;
        const char* from;
        const char* to;
        const char* message;
    } cases[] = {
        {"unknown key", "user=QUELMORA\n", "user=QUELMORA\nhost=10.0.0.1\n",
         "nieznany klucz „host” w sekcji [database]"},
        {"unknown section", "[statement]", "[drukarka]", "nieznana sekcja [drukarka]"},
        {"password in plain text", "password=%PASSWORD%", "password=quelmora",
         "hasło nie jest zapisane w postaci zaszyfrowanej"},
        {"no password", "password=%PASSWORD%\n", "", "Brak hasła (password=)"},
        {"server unreachable", "port=3050", "port=1",
         "Serwer bazy danych 127.0.0.1 nie odpowiada na porcie 1"},
        {"unknown server name", "server=127.0.0.1", "server=nieznany-serwer.invalid",
         "Nie można ustalić adresu serwera bazy danych „nieznany-serwer.invalid”"},
        {"wrong password", "password=%PASSWORD%", "password=%WRONG%",
         "Serwer odrzucił logowanie użytkownika QUELMORA"},
        {"no such database", "path=%PATH%", "path=/var/lib/quelmora/brak-takiej-bazy.fdb",
         "Serwer nie może otworzyć bazy danych /var/lib/quelmora/brak-takiej-bazy.fdb"},
        {"no place", "place=Swarzędz\n", "",
         "Brak miejscowości (place=) w sekcji [statement]: wiersz daty oświadczenia "
         "zaczynałby się od „, dnia”."},
        {"empty place", "place=Swarzędz", "place=  ",
         "Brak miejscowości (place=) w sekcji [statement]: wiersz daty oświadczenia "
         "zaczynałby się od „, dnia”."},
        {"no street", "street=ul. Przemysłowa 14\n", "", "Brak ulicy pracodawcy"},
        {"no postcode", "postcode=62-020 Swarzędz\n", "", "Brak kodu pocztowego"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = writeSettings({{QString::fromUtf8(c.from), QString::fromUtf8(c.to)}});
        const auto check = checkSettings(path);
        ASSERT_EQ(check.problems.size(), 1) << check.problems.join(QLatin1Char('\n')).toStdString();
        EXPECT_TRUE(check.problems[0].contains(QString::fromUtf8(c.message)))
            << check.problems[0].toStdString();
        EXPECT_EQ(exitStatus(path), 1);
    }
}

TEST_F(SettingsCheckTest, FileThatCannotBeReadFails) {
    const struct {
        const char* name;
        bool directory;
        const char* message;
    } cases[] = {
        {"missing file", false, "nie istnieje: program przyjąłby ustawienia domyślne"},
        {"a directory", true, "Nie można odczytać pliku ustawień"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir_.filePath(QStringLiteral("quelmora.ini"));
        if (c.directory) {
            ASSERT_TRUE(QDir(dir_.path()).mkpath(QStringLiteral("quelmora.ini")));
        }
        const auto check = checkSettings(path);
        ASSERT_EQ(check.problems.size(), 1);
        EXPECT_TRUE(check.problems[0].contains(QString::fromUtf8(c.message)))
            << check.problems[0].toStdString();
        EXPECT_EQ(exitStatus(path), 1);
    }
}

// A database whose user may not call the procedures (grants missing, or another database at the
// path) is caught by the one call the check makes.
TEST_F(SettingsCheckTest, DatabaseWithoutTheProcedureRightsFails) {
    TestDatabase db(QStringLiteral("settings-check-revoked"));
    db.sql(QStringLiteral("REVOKE EXECUTE ON PROCEDURE CURRENT_SERVER_DATE FROM USER QUELMORA;"));
    const QString path = writeSettings({}, db);
    const auto check = checkSettings(path);
    ASSERT_EQ(check.problems.size(), 1);
    EXPECT_TRUE(check.problems[0].contains(QStringLiteral("procedura CURRENT_SERVER_DATE nie "
                                                          "działa")))
        << check.problems[0].toStdString();
    EXPECT_EQ(exitStatus(path), 1);
}

// Problems of the database and of the statement are all told in one run.
TEST_F(SettingsCheckTest, EveryProblemIsToldAtOnce) {
    const QString path = writeSettings({{QStringLiteral("port=3050"), QStringLiteral("port=1")},
                                        {QStringLiteral("place=Swarzędz\n"), QString()},
                                        {QStringLiteral("postcode=62-020 Swarzędz\n"), QString()}});
    const auto check = checkSettings(path);
    ASSERT_EQ(check.problems.size(), 3) << check.problems.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(check.problems[0].contains(QStringLiteral("nie odpowiada")));
    EXPECT_TRUE(check.problems[1].contains(QStringLiteral("Brak miejscowości")));
    EXPECT_TRUE(check.problems[2].contains(QStringLiteral("Brak kodu pocztowego")));
}

} // namespace
