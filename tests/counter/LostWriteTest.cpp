// A purchase write whose connection is lost before its answer comes: the server may or may not
// have recorded it. The counter keeps the entry, and before recording it again finds out through
// the worker's purchases whether it was recorded.
#include "SaleHarness.h"

#include <thread>

using namespace qm::test;

namespace {

const QString kLostAdvice =
    QStringLiteral("Połączenie z serwerem bazy danych zostało przerwane. Sprawdź sieć i serwer "
                   "bazy danych, a potem powtórz czynność.");

// While the gate is open, the server holds every purchase of a "Szezlong" written by the program
// (a trigger that only waits), so that the test can shut the attachment down in the middle of
// the write: the server then cancels it, and the counter never hears how it ended.
struct HeldWrites {
    explicit HeldWrites(TestDatabase& db) : db(db) {
        db.sql("CREATE TABLE HOLD_GATE (OPEN_ SMALLINT);\n"
               "INSERT INTO HOLD_GATE VALUES (1);\n"
               "SET TERM ^ ;\n"
               "CREATE TRIGGER PURCHASES_HOLD_SZEZLONG FOR PURCHASES AFTER INSERT AS\n"
               "DECLARE t0 TIMESTAMP;\n"
               "BEGIN\n"
               "  IF (NEW.NAME STARTING WITH 'Szezlong' AND CURRENT_USER = 'QUELMORA' AND\n"
               "      EXISTS (SELECT 1 FROM HOLD_GATE WHERE OPEN_ = 1)) THEN BEGIN\n"
               "    t0 = CAST('NOW' AS TIMESTAMP);\n"
               "    WHILE (DATEDIFF(MILLISECOND FROM t0 TO CAST('NOW' AS TIMESTAMP)) < 20000) DO\n"
               "      t0 = t0;\n"
               "  END\n"
               "END^\n"
               "SET TERM ; ^\n"
               "GRANT SELECT ON HOLD_GATE TO TRIGGER PURCHASES_HOLD_SZEZLONG;");
    }
    ~HeldWrites() {
        try {
            db.sql("DROP TRIGGER PURCHASES_HOLD_SZEZLONG;\nDROP TABLE HOLD_GATE;");
        } catch (const std::exception& e) {
            ADD_FAILURE() << "the holding trigger stays: " << e.what();
        }
    }
    void close() const { db.sql("UPDATE HOLD_GATE SET OPEN_ = 0;"); }

    TestDatabase& db;
};

// Each case loses the write of its second entry, arranges what the server holds afterwards, and
// completes again.
TEST(LostWrite, EntryIsRecordedOnceWhateverBecameOfTheLostWrite) {
    // A database of its own: shutting the program's attachments down touches no other test's.
    TestDatabase db("lostwrite");
    db.sql("INSERT INTO WORKERS (REFERENCE_NUMBER, NAME, SURNAME) VALUES (906, 'Jan', 'Kos');");
    qm::workers::WorkerDirectory directory = loadedDirectory(db);
    const HeldWrites held(db);
    const struct {
        const char* what;
        int key;
        // What happened on the server, as SYSDBA, after the attachment was lost.
        const char* afterwards;
        // The second completion's notice; empty when it records without a word.
        const char* refusal;
        int standing; // the worker's purchases of the held label in the end
        bool inBasket;
    } cases[] = {
        {"the write was lost", 8901, "", "", 1, false},
        {"the server recorded it before the line went", 8902,
         "INSERT INTO PURCHASES (USER_ID, ARTICLE_ID, LABEL, NAME) SELECT 906, ARTICLE_ID, "
         "'1/8902/1', NAME FROM ARTICLES WHERE ODWO_ID = 8902;\n"
         "UPDATE ARTICLES SET AMOUNT = AMOUNT - 1 WHERE ODWO_ID = 8902;",
         "", 1, false},
        {"another workstation changed the worker's purchases of the label meanwhile", 8903,
         "INSERT INTO PURCHASES (USER_ID, ARTICLE_ID, LABEL, NAME) SELECT 906, ARTICLE_ID, "
         "'1/8903/1', NAME FROM ARTICLES WHERE ODWO_ID = 8903;\n"
         "INSERT INTO PURCHASES (USER_ID, ARTICLE_ID, LABEL, NAME) SELECT 906, ARTICLE_ID, "
         "'1/8903/1', NAME FROM ARTICLES WHERE ODWO_ID = 8903;",
         "Nie można ustalić, czy zakup „Szezlong 8903” (etykieta „1/8903/1”) dla pracownika 906 "
         "został zapisany: połączenie z bazą danych zostało przerwane w trakcie zapisu, a zakupy "
         "tego pracownika zmieniły się od tej chwili. Sprawdź je w zestawieniu sprzedaży i usuń "
         "tę pozycję z koszyka; jeśli zakupu tam nie ma, zeskanuj etykietę ponownie.",
         2, true},
    };
    // Scans a "Puf" and the held article for worker 906 and loses the held one's write.
    const auto loseTheWrite = [&](SaleStation& s, int key, const Rows& held1) {
        db.sql(article(key, QStringLiteral("Szezlong %1").arg(key), 3) +
               article(key + 50, "Puf", 3) + "UPDATE HOLD_GATE SET OPEN_ = 1;");
        const QStringList before = labelsBoughtBy(s.catalogue, 906);
        s.chooseSellMode();
        s.confirmWorker("906");
        s.scan(QString::number(key + 50));
        s.scan(held1.front().second);
        std::thread cutter([&] {
            if (waitUntil(20000, [&] { return purchaseWriteRunning(db); }))
                db.sql("DELETE FROM MON$ATTACHMENTS WHERE MON$USER = 'QUELMORA';");
            else
                ADD_FAILURE() << "the held write did not start within 20 s";
        });
        s.dialogs.expectQuestion(kStatement, false)
            .expectQuestion(kFinish, true)
            .expectError(kLostAdvice);
        EXPECT_FALSE(s.finalize());
        cutter.join();
        s.dialogs.verify();
        EXPECT_EQ(s.basket(), held1);
        EXPECT_EQ(s.basketRows(), held1);
        EXPECT_EQ(labelsBoughtBy(s.catalogue, 906),
                  before + QStringList{QString::number(key + 50)});
        held.close();
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QString name = QStringLiteral("Szezlong %1").arg(c.key);
        const QString label = QStringLiteral("1/%1/1").arg(c.key);
        const Rows held1{{name, label}};
        SaleStation s(db, directory);
        loseTheWrite(s, c.key, held1);

        if (*c.afterwards)
            db.sql(QString::fromUtf8(c.afterwards));
        s.dialogs.expectQuestion(kStatement, false).expectQuestion(kFinish, true);
        if (*c.refusal)
            s.dialogs.expectError(QString::fromUtf8(c.refusal));
        EXPECT_EQ(s.finalize(), !*c.refusal);
        s.dialogs.verify();
        EXPECT_EQ(labelsBoughtBy(s.catalogue, 906).count(label), c.standing);
        if (c.inBasket) {
            EXPECT_EQ(s.basket(), held1);
            EXPECT_EQ(s.counter.workerId(), "906");
        } else {
            s.expectReset();
            EXPECT_EQ(amountOf(s.catalogue, c.key, name), 2);
        }
    }

    // The operator gives up on the entry instead: it may stand recorded, and the counter says
    // which one to look up, whether the purchase is cancelled or the entry deleted.
    const struct {
        const char* what;
        const char* question;
        void (qm::counter::SaleCounter::*handler)();
    } drops[] = {
        {"cancelled", "Czy na pewno anulować obecne zakupy?",
         &qm::counter::SaleCounter::CancelCurrentSellingButtonClick},
        {"deleted", "Czy na pewno usunąć zaznaczoną pozycję?",
         &qm::counter::SaleCounter::DeleteCurrentSummaryPositionButtonClick},
    };
    int key = 8911;
    for (const auto& d : drops) {
        SCOPED_TRACE(d.what);
        const Rows held1{
            {QStringLiteral("Szezlong %1").arg(key), QStringLiteral("1/%1/1").arg(key)}};
        SaleStation s(db, directory);
        loseTheWrite(s, key, held1);
        s.basketView.setSelectionSource([] { return std::optional<int>(0); });
        s.dialogs.expectQuestion(QString::fromUtf8(d.question), true)
            .expectInformation(
                QStringLiteral("Nie wiadomo, czy te zakupy zostały zapisane, bo połączenie z bazą "
                               "danych zostało przerwane w trakcie ich zapisu. Sprawdź zakupy "
                               "pracownika w zestawieniu sprzedaży:\n„Szezlong %1” (etykieta "
                               "„1/%1/1”), pracownik 906")
                    .arg(key));
        s.run([&] { (s.counter.*d.handler)(); });
        s.dialogs.verify();
        EXPECT_TRUE(s.basket().empty());
        ++key;
    }
}

} // namespace
