#include "SaleHarness.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QThread>
#include <thread>

using namespace qm::test;

namespace {

const QString kStatement = QStringLiteral("Czy wygenerować oświadczenie dla obecnych zakupów?");
const QString kFinish = QStringLiteral("Czy zakończyć obecne zakupy?");

// Two workstations complete a purchase of the last piece of one article at the same moment: the
// second writes while the first one's write is still open. To make that moment certain, the test
// database holds every purchase of this one article in its transaction for a few seconds (a
// trigger that only waits), and the second counter starts once the first one's write is running
// on the server.
TEST(ConcurrentSale, OnlyOneOfTwoCountersGetsTheLastPiece) {
    TestDatabase& db = saleDatabase();
    db.sql(article(7801, "Witryna", 1) +
           "SET TERM ^ ;\n"
           "CREATE TRIGGER PURCHASES_HOLD_WITRYNA FOR PURCHASES AFTER INSERT AS\n"
           "DECLARE t0 TIMESTAMP;\n"
           "BEGIN\n"
           "  IF (NEW.NAME = 'Witryna') THEN BEGIN\n"
           "    t0 = CAST('NOW' AS TIMESTAMP);\n"
           "    WHILE (DATEDIFF(MILLISECOND FROM t0 TO CAST('NOW' AS TIMESTAMP)) < 3000) DO\n"
           "      t0 = t0;\n"
           "  END\n"
           "END^\n"
           "SET TERM ; ^");
    {
        qm::workers::WorkerDirectory directory = loadedDirectory(db);
        SaleStation first(db, directory);
        SaleStation second(db, directory);
        for (auto [station, worker] : {std::pair{&first, "904"}, {&second, "905"}}) {
            station->chooseSellMode();
            station->confirmWorker(worker);
            station->scan("7801");
            station->dialogs.expectQuestion(kStatement, false).expectQuestion(kFinish, true);
        }
        const Rows entry{{"Witryna", "7801"}};
        ASSERT_EQ(second.basket(), entry);
        second.dialogs.expectError("concurrent");

        std::thread firstCompletes([&] { first.finalize(); });
        QElapsedTimer waited;
        waited.start();
        while (!db.query("SELECT COUNT(*) AS RUNNING FROM MON$STATEMENTS WHERE MON$STATE = 1 "
                         "AND MON$SQL_TEXT STARTING WITH 'EXECUTE PROCEDURE WORKERS_PURCHASE';")
                    .contains(QRegularExpression("RUNNING\\s+1"))) {
            if (waited.elapsed() > 20000)
                break;
            QThread::msleep(20);
        }
        EXPECT_FALSE(second.finalize());
        firstCompletes.join();
        first.dialogs.verify();
        second.dialogs.verify();

        first.expectReset();
        EXPECT_EQ(labelsBoughtBy(first.catalogue, 904), QStringList({"7801"}));
        // The other counter saw the server's refusal and still holds its entry.
        EXPECT_TRUE(labelsBoughtBy(second.catalogue, 905).isEmpty());
        EXPECT_EQ(second.basket(), entry);
        EXPECT_EQ(second.basketRows(), entry);
        EXPECT_EQ(second.counter.workerId(), "905");
        EXPECT_EQ(amountOf(second.catalogue, 7801, "Witryna"), 0);

        // Completing again finds the article sold out and records nothing.
        second.dialogs.expectQuestion(kStatement, false).expectQuestion(kFinish, true);
        EXPECT_TRUE(second.finalize());
        second.dialogs.verify();
        EXPECT_TRUE(labelsBoughtBy(second.catalogue, 905).isEmpty());
        EXPECT_EQ(amountOf(second.catalogue, 7801, "Witryna"), 0);
    }
    db.sql("DROP TRIGGER PURCHASES_HOLD_WITRYNA;");
}

} // namespace
