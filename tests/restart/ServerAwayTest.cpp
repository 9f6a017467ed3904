// The local database server goes away while the program holds its connection: stopped and
// started again, or crashed and restarted by its guardian. These tests take the server away
// themselves (tests/support/firebird-server.sh), so they run alone.
#include "counter/SaleHarness.h"
#include "db/DbError.h"

#include <QProcess>

using namespace qm::test;
using qm::db::DbError;

namespace {

const QString kLostAdvice =
    QStringLiteral("Połączenie z serwerem bazy danych zostało przerwane. Sprawdź sieć i serwer "
                   "bazy danych, a potem powtórz czynność.");

// stop, start or crash; fails the test when the script does.
void server(const char* action) {
    QProcess script;
    script.setProcessChannelMode(QProcess::MergedChannels);
    script.start(QStringLiteral("bash"),
                 {sourceDir() + QStringLiteral("/tests/support/firebird-server.sh"),
                  QString::fromLatin1(action)});
    const bool ended = script.waitForFinished(60000);
    ASSERT_TRUE(ended && script.exitStatus() == QProcess::NormalExit && script.exitCode() == 0)
        << "firebird-server.sh " << action << ": " << script.readAll().toStdString();
}

// Brings the server back however the test ends, before its database is dropped.
struct ServerComesBack {
    ~ServerComesBack() { server("start"); }
};

TEST(ServerAway, CounterKeepsItsBasketWhileTheServerIsDownAndRecordsOnceWhenItIsBack) {
    TestDatabase db("away");
    db.sql("INSERT INTO WORKERS (REFERENCE_NUMBER, NAME, SURNAME) VALUES (911, 'Ola', 'Lis');\n" +
           article(9001, "Kredens", 3) + article(9002, "Sekretarzyk", 3));
    const ServerComesBack back;
    qm::workers::WorkerDirectory directory = loadedDirectory(db);
    SaleStation s(db, directory);
    s.chooseSellMode();
    s.confirmWorker("911");
    s.scan("9001");
    s.scan("1/9002/1");
    const Rows scanned{{"Kredens", "9001"}, {"Sekretarzyk", "1/9002/1"}};
    ASSERT_EQ(s.basket(), scanned);

    server("stop");
    // Every call fails with the plain sentence first, and takes nothing from the basket.
    s.dialogs.expectError(kLostAdvice);
    EXPECT_FALSE(s.scan("9001"));
    s.dialogs.expectQuestion(kStatement, false)
        .expectQuestion(kFinish, true)
        .expectError(kLostAdvice);
    EXPECT_FALSE(s.finalize());
    s.dialogs.verify();
    EXPECT_EQ(s.basket(), scanned);
    EXPECT_EQ(s.basketRows(), scanned);
    EXPECT_EQ(s.counter.workerId(), "911");
    EXPECT_EQ(s.connection.reconnects(), 0);

    server("start");
    s.dialogs.expectQuestion(kStatement, false).expectQuestion(kFinish, true);
    EXPECT_TRUE(s.finalize());
    s.dialogs.verify();
    s.expectReset();
    EXPECT_EQ(s.connection.reconnects(), 1);
    EXPECT_EQ(labelsBoughtBy(s.catalogue, 911), QStringList({"9001", "1/9002/1"}));
    EXPECT_EQ(amountOf(s.catalogue, 9001, "Kredens"), 2);
    EXPECT_EQ(amountOf(s.catalogue, 9002, "Sekretarzyk"), 2);
}

// A crash between two calls: a query does not notice it; a write is not sent twice, so it fails
// once, and the next one goes through.
TEST(ServerAway, CrashedServerCostsAQueryNothingAndAWriteOneMessage) {
    TestDatabase db("crash");
    db.sql(article(9101, "Toaletka", 3));
    const ServerComesBack back;
    qm::db::Connection c(db.settings());
    c.open();
    qm::db::Catalogue cat(c);
    EXPECT_EQ(amountOf(cat, 9101, "Toaletka"), 3);

    server("crash");
    EXPECT_EQ(amountOf(cat, 9101, "Toaletka"), 3);
    EXPECT_EQ(c.reconnects(), 1);

    qm::db::Procedure& price = cat.ibcspModifyArticlePrice;
    const auto setPrice = [&](const char* value) {
        price.setText("I_ODWO_ID", QStringLiteral("9101"));
        price.setText("I_CODE", QStringLiteral("K-9101"));
        price.setText("I_NAME", QStringLiteral("Toaletka"));
        price.setText("I_PRICE", QString::fromLatin1(value));
        price.execute();
    };
    server("crash");
    try {
        setPrice("150");
        FAIL() << "a write went through a crashed server's connection";
    } catch (const DbError& e) {
        EXPECT_TRUE(e.isConnectionLost()) << e.what();
    }
    setPrice("175");
    EXPECT_EQ(c.reconnects(), 2);
    EXPECT_EQ(db.query("SELECT PRICE FROM ARTICLES WHERE ODWO_ID = 9101;").simplified(),
              QStringLiteral("PRICE 175.00"));
}

} // namespace
