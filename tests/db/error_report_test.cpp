// The general error report starts with one plain Polish sentence for the failures a counter meets
// in practice, recognised by their codes from the real server, and goes on with the server's own
// text; other failures show their text alone.
#include "core/Dialogs.h"
#include "db/Catalogue.h"
#include "support/ScriptedDialogs.h"
#include "support/TestDatabase.h"

#include <firebird/Interface.h>
#include <gtest/gtest.h>

#include <functional>

using namespace qm;
using namespace qm::db;
using qm::test::ScriptedDialogs;
using qm::test::TestDatabase;

namespace {

TEST(ErrorReport, TheFailuresOfACounterBeginWithWhatToDo) {
    TestDatabase db(QStringLiteral("advice"));
    db.sql(QStringLiteral("INSERT INTO ARTICLES (ODWO_ID, CODE, NAME, AMOUNT, PRICE) VALUES "
                          "(7501, 'A-1', 'Szafa Łęg', 3, 100);"));
    Connection connection(db.settings());
    connection.open();
    Catalogue catalogue(connection);
    const auto buy = [&] {
        Procedure& p = catalogue.ibcspWorkersPurchase;
        p.setInteger("I_USER_ID", 501);
        p.setText("I_ODWO_ID", QStringLiteral("7501"));
        p.setText("I_LABEL", QStringLiteral("1/7501/1"));
        p.setText("I_NAME", QStringLiteral("Szafa Łęg"));
        p.execute();
    };
    const struct {
        const char* what;
        std::function<void()> fail;
        const char* advice; // the first line; empty: the report is the failure's text alone
        const char* serverText;
    } cases[] = {
        {"conversion",
         [&] {
             catalogue.ibcspGetProductInfo.setText("I_LABEL", QStringLiteral("12a"));
             catalogue.ibcspGetProductInfo.open();
         },
         "Serwer bazy danych nie mógł odczytać podanej wartości jako liczby lub daty. Sprawdź "
         "wpisaną wartość.",
         "conversion error"},
        {"lock conflict",
         [&] {
             qm::test::UncommittedChange held(
                 db, QStringLiteral("UPDATE ARTICLES SET AMOUNT = AMOUNT WHERE ODWO_ID = 7501"));
             buy();
         },
         "Inne stanowisko właśnie zapisuje ten sam artykuł. Poczekaj chwilę i powtórz czynność.",
         "concurrent update"},
        {"the procedure's own refusal",
         [&] {
             Procedure& p = catalogue.ibcspRollbackWorkerPurchase;
             p.setInteger("I_ORDER_ID", 999999);
             p.setInteger("I_ODWO_ID", 7501);
             p.setText("I_NAME", QStringLiteral("Szafa Łęg"));
             p.execute();
         },
         "", "Brak zakupu o numerze 999999"},
        {"the program's own error", [] { throw AppError(QStringLiteral("Etykieta pusta.")); }, "",
         "Etykieta pusta."},
        {"connection lost",
         [&] {
             // A query would attach again and succeed; a write is never sent twice.
             db.sql(QStringLiteral("DELETE FROM MON$ATTACHMENTS WHERE MON$USER = 'QUELMORA';"));
             buy();
         },
         "Połączenie z serwerem bazy danych zostało przerwane. Sprawdź sieć i serwer bazy danych, "
         "a potem powtórz czynność.",
         "shutdown"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedDialogs dialogs;
        dialogs.expectError();
        EXPECT_FALSE(runGuarded(dialogs, c.fail));
        dialogs.verify();
        ASSERT_EQ(dialogs.shown().size(), 1u);
        const QString report = dialogs.shown().front().text;
        const QString advice = QString::fromUtf8(c.advice);
        if (advice.isEmpty()) {
            EXPECT_TRUE(report.contains(QString::fromUtf8(c.serverText))) << report.toStdString();
            EXPECT_FALSE(report.contains(QStringLiteral("powtórz czynność")) ||
                         report.contains(QStringLiteral("Sprawdź")))
                << report.toStdString();
        } else {
            EXPECT_TRUE(report.startsWith(advice + QLatin1Char('\n'))) << report.toStdString();
            EXPECT_TRUE(report.mid(advice.size() + 1).contains(QString::fromUtf8(c.serverText)))
                << report.toStdString();
        }
    }
}

// A counter attaches again on its next call after a lost connection; a server that is starting
// again after a crash refuses that attachment for a moment, with its own English text alone.
TEST(ErrorReport, AServerRefusingToAttachAgainIsALostConnection) {
    ScriptedDialogs dialogs;
    dialogs.expectError();
    EXPECT_FALSE(runGuarded(dialogs, [] {
        throw DbError(QStringLiteral("connection rejected by remote interface"),
                      {isc_connect_reject}, QStringLiteral("08004"));
    }));
    dialogs.verify();
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown().front().text,
              QStringLiteral("Połączenie z serwerem bazy danych zostało przerwane. Sprawdź sieć i "
                             "serwer bazy danych, a potem powtórz czynność.\n"
                             "connection rejected by remote interface"));
}

} // namespace
