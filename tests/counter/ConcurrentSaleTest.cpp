#include "SaleHarness.h"

#include "db/DbError.h"
#include "db/FbClient.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QThread>
#include <thread>

using namespace qm::test;

namespace {

// How long the server holds every purchase of the contested article in its transaction.
constexpr int kHoldMs = 4000;
// A write that meets another workstation's open write is refused at once; one that waited for
// the other to end would take about the whole hold.
constexpr qint64 kAtOnceMs = kHoldMs / 2;

// Removes the holding trigger however the test ends.
struct HoldingTrigger {
    TestDatabase& db;
    ~HoldingTrigger() {
        try {
            db.sql("DROP TRIGGER PURCHASES_HOLD_WITRYNA;");
        } catch (const std::exception& e) {
            ADD_FAILURE() << "the holding trigger stays: " << e.what();
        }
    }
};

// Two workstations complete a purchase of the last piece of one article at the same moment: the
// second writes while the first one's write is still open. To make that moment certain, the test
// database holds every purchase of this one article in its transaction for a few seconds (a
// trigger that only waits), and the second counter starts once the first one's write is running
// on the server. The first counter lives on a thread of its own from start to end, so that its
// models belong to the thread that drives them.
TEST(ConcurrentSale, OnlyOneOfTwoCountersGetsTheLastPieceAndTheOtherIsRefusedAtOnce) {
    TestDatabase& db = saleDatabase();
    db.sql(article(7801, "Witryna", 1) +
           QStringLiteral("SET TERM ^ ;\n"
                          "CREATE TRIGGER PURCHASES_HOLD_WITRYNA FOR PURCHASES AFTER INSERT AS\n"
                          "DECLARE t0 TIMESTAMP;\n"
                          "BEGIN\n"
                          "  IF (NEW.NAME = 'Witryna') THEN BEGIN\n"
                          "    t0 = CAST('NOW' AS TIMESTAMP);\n"
                          "    WHILE (DATEDIFF(MILLISECOND FROM t0 TO CAST('NOW' AS TIMESTAMP)) "
                          "< %1) DO\n"
                          "      t0 = t0;\n"
                          "  END\n"
                          "END^\n"
                          "SET TERM ; ^")
               .arg(kHoldMs));
    const HoldingTrigger holding{db};

    qm::workers::WorkerDirectory directory = loadedDirectory(db);
    SaleStation second(db, directory);
    // Other tests buy for the same workers; this one adds nothing for the second counter's.
    const QStringList boughtBefore = labelsBoughtBy(second.catalogue, 905);
    second.chooseSellMode();
    second.confirmWorker("905");
    second.scan("7801");
    second.dialogs.expectQuestion(kStatement, false).expectQuestion(kFinish, true);
    const Rows entry{{"Witryna", "7801"}};
    ASSERT_EQ(second.basket(), entry);

    std::thread firstCounter([&db] {
        try {
            qm::workers::WorkerDirectory own = loadedDirectory(db);
            SaleStation first(db, own);
            const QStringList boughtBefore = labelsBoughtBy(first.catalogue, 904);
            first.chooseSellMode();
            first.confirmWorker("904");
            first.scan("7801");
            first.dialogs.expectQuestion(kStatement, false).expectQuestion(kFinish, true);
            EXPECT_TRUE(first.finalize());
            first.dialogs.verify();
            first.expectReset();
            EXPECT_EQ(labelsBoughtBy(first.catalogue, 904), boughtBefore + QStringList{"7801"});
        } catch (const std::exception& e) {
            ADD_FAILURE() << "the first counter failed: " << e.what();
        }
    });
    const bool overlapping = waitUntil(20000, [&] { return purchaseWriteRunning(db); });
    if (overlapping) {
        QElapsedTimer refused;
        refused.start();
        try {
            second.counter.FinalizeSellButtonClick();
            ADD_FAILURE() << "the second counter recorded the piece the first one is writing";
        } catch (const qm::db::DbError& e) {
            // The row is another transaction's: a lock conflict, told by its codes.
            EXPECT_TRUE(e.isLockConflict()) << e.what();
            EXPECT_TRUE(e.hasCode(isc_update_conflict)) << e.what();
        }
        EXPECT_LT(refused.elapsed(), kAtOnceMs) << "the write waited for the other workstation";
    } else {
        ADD_FAILURE() << "the first counter's write did not start within 20 s";
    }
    firstCounter.join();
    second.dialogs.verify();

    // The other counter saw the server's refusal and still holds its entry.
    EXPECT_EQ(labelsBoughtBy(second.catalogue, 905), boughtBefore);
    EXPECT_EQ(second.basket(), entry);
    EXPECT_EQ(second.basketRows(), entry);
    EXPECT_EQ(second.counter.workerId(), "905");
    EXPECT_EQ(amountOf(second.catalogue, 7801, "Witryna"), 0);

    // Completing again finds the article sold out, records nothing and says so.
    second.dialogs.expectQuestion(kStatement, false)
        .expectQuestion(kFinish, true)
        .expectInformation(kSoldOutMeanwhile + "\n„Witryna” (etykieta „7801”)");
    EXPECT_TRUE(second.finalize());
    second.dialogs.verify();
    EXPECT_EQ(labelsBoughtBy(second.catalogue, 905), boughtBefore);
    EXPECT_EQ(amountOf(second.catalogue, 7801, "Witryna"), 0);
}

} // namespace
