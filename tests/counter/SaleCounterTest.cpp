#include "SaleHarness.h"

#include <QSortFilterProxyModel>

using namespace qm::test;
using qm::counter::Control;
using qm::counter::SummaryLevel;

namespace {

const QString kNoSuchProduct = QStringLiteral("Brak podanego produktu w bazie");
const QString kChooseMode = QStringLiteral("Proszę wybrać jedną z dwóch opcji widocznych w tym "
                                           "oknie przed zeskanowaniem produktu.");
const QString kSoldOut = QStringLiteral(
    "Ten produkt został już wyprzedany, więc nie można dodać go do koszyka. Czy cofnąć zakup dla "
    "poprzedniej osoby, która ten produkt już kupiła?");
const QString kSoldOutSure = QStringLiteral(
    "Czy na pewno cofnąć zakup dla poprzedniej osoby, która ten produkt już kupiła?");
const QString kPromptCaption = QStringLiteral("Proszę podać ID pracownika");
const QString kPrompt = QStringLiteral("ID Pracownika: ");
const QString kNotANumber =
    QStringLiteral("Podane ID pracownika nie jest liczbą, spróbuj ponownie");
const QString kNoWorkerData = QStringLiteral("Program nie posiada pobranych danych pracowników");
const QString kNoSuchWorker = QStringLiteral("Brak pracownika o podanym ID w pobranej bazie");
const QString kEmptyBasket =
    QStringLiteral("Proszę dodać co najmniej jeden produkt do koszyka przed dokonaniem zakupu");
const QString kDelete = QStringLiteral("Czy na pewno usunąć zaznaczoną pozycję?");
const QString kCancel = QStringLiteral("Czy na pewno anulować obecne zakupy?");

class SaleCounterTest : public ::testing::Test {
protected:
    void SetUp() override { directory = loadedDirectory(db); }

    TestDatabase& db = saleDatabase();
    qm::workers::WorkerDirectory directory;
};

TEST_F(SaleCounterTest, SellRoadRecordsEachEntryOnceAndResets) {
    db.sql(article(7101, "Komoda Lena", 2, "1299.00") + article(7101, "Regał Ola", 1, "19.99") +
           article(7101, "Stolik Kawowy", 1) + article(7102, "Krzesło Gięte", 5) +
           article(7103, "Biurko Narożne", 1));
    SaleStation s(db, directory);
    s.run([&] { s.counter.cxSellTabSheetShow(); });
    EXPECT_TRUE(s.controls.purchaseButtonsDisabled());

    s.chooseSellMode();
    EXPECT_TRUE(s.controls.purchaseButtonsEnabled());
    EXPECT_EQ(s.controls.activeLevel(), SummaryLevel::Basket);
    s.confirmWorker("901");
    for (const char* label : {"12/7101/78", "7102", "9/7103", "12/7101/78"})
        s.scan(label);
    const Rows scanned{{"Komoda Lena", "12/7101/78"},
                       {"Regał Ola", "12/7101/78"},
                       {"Stolik Kawowy", "12/7101/78"},
                       {"Krzesło Gięte", "7102"},
                       {"Biurko Narożne", "9/7103"}};
    EXPECT_EQ(s.basket(), scanned);
    EXPECT_EQ(s.basketRows(), scanned);
    EXPECT_EQ(s.controls.productId, "");

    // Sold at another counter since the scan: that entry is not recorded, and the operator is
    // told which one, once the others are recorded.
    db.sql("UPDATE ARTICLES SET AMOUNT = 0 WHERE ODWO_ID = 7101 AND NAME = 'Stolik Kawowy';");
    // Typed without Enter: the purchase stays with the confirmed worker.
    s.controls.workerId = "902";
    s.dialogs.expectQuestion(kStatement, true)
        .expectQuestion(kFinish, true)
        .expectInformation(kSoldOutMeanwhile + "\n„Stolik Kawowy” (etykieta „12/7101/78”)");
    EXPECT_TRUE(s.finalize());
    s.dialogs.verify();

    EXPECT_EQ(s.previews, std::vector<Rows>{scanned});
    EXPECT_EQ(labelsBoughtBy(s.catalogue, 901),
              QStringList({"12/7101/78", "12/7101/78", "7102", "9/7103"}));
    EXPECT_TRUE(labelsBoughtBy(s.catalogue, 902).isEmpty());
    // One piece of each recorded article, none of any other under the same label.
    EXPECT_EQ(amountOf(s.catalogue, 7101, "Komoda Lena"), 1);
    EXPECT_EQ(amountOf(s.catalogue, 7101, "Regał Ola"), 0);
    EXPECT_EQ(amountOf(s.catalogue, 7101, "Stolik Kawowy"), 0);
    EXPECT_EQ(amountOf(s.catalogue, 7102, "Krzesło Gięte"), 4);
    EXPECT_EQ(amountOf(s.catalogue, 7103, "Biurko Narożne"), 0);
    s.expectReset();
}

TEST_F(SaleCounterTest, CheckModeShowsEveryArticleOfTheKey) {
    db.sql(article(7201, "Fotel Uszak", 3, "1.50") + article(7201, "Sofa Bella", 0, "10.50") +
           article(7201, "Pufa", 1, "1299.00") + article(7202, "Lampa", 2, "12.50"));
    SaleStation s(db, directory);
    s.chooseSellMode();
    s.scan("7202");
    s.chooseCheckMode();
    EXPECT_FALSE(s.controls.isEnabled(Control::WorkerIDEdit));
    EXPECT_TRUE(s.controls.purchaseButtonsDisabled());
    EXPECT_EQ(s.controls.activeLevel(), SummaryLevel::Check);

    s.scan("1/7201/1");
    s.dialogs.verify(); // a sold-out article asks nothing in check mode
    struct Shown {
        QStringList texts;
        double withTax;
    };
    const Shown expected[] = {
        {{"7201", "K-7201", "Fotel Uszak", "Tkanina 7201", "Korpus 7201", "3", "1,25", "1,50"},
         1.84},
        {{"7201", "K-7201", "Sofa Bella", "Tkanina 7201", "Korpus 7201", "0", "1,25", "10,50"},
         12.92},
        {{"7201", "K-7201", "Pufa", "Tkanina 7201", "Korpus 7201", "1", "1,25", "1299,00"},
         1597.77},
    };
    ASSERT_EQ(s.checkView.rows(), 3);
    const int withTax = s.checkView.columnIndex("CENA_Z_VAT");
    for (int r = 0; r < 3; ++r) {
        QStringList texts;
        for (int c = 0; c < withTax; ++c)
            texts << s.checkView.text(r, c);
        EXPECT_EQ(texts, expected[r].texts);
        EXPECT_EQ(s.checkView.value(r, withTax).toDouble(), expected[r].withTax);
    }
    EXPECT_EQ(s.controls.productId, "");
    EXPECT_EQ(s.basket(), (Rows{{"Lampa", "7202"}}));

    // A key that is not found leaves the rows of the last one.
    s.dialogs.expectInformation(kNoSuchProduct);
    s.scan("7299");
    s.dialogs.verify();
    EXPECT_EQ(s.checkView.rows(), 3);
    EXPECT_EQ(s.controls.productId, "");

    // Back in sell mode the purchase goes on; a found key empties the hidden check view.
    s.chooseSellMode();
    EXPECT_EQ(s.basketRows(), (Rows{{"Lampa", "7202"}}));
    EXPECT_EQ(s.checkView.rows(), 3);
    s.scan("7202");
    EXPECT_EQ(s.checkView.rows(), 0);
    EXPECT_EQ(s.basket(), (Rows{{"Lampa", "7202"}}));
    s.dialogs.verify();
}

TEST_F(SaleCounterTest, ScanWithoutAModeAsksForOneOnce) {
    db.sql(article(7211, "Ława", 1) + article(7211, "Ława Mała", 1) +
           article(7211, "Ława Duża", 1));
    SaleStation s(db, directory);
    s.chooseCheckMode();
    s.scan("7211");
    ASSERT_EQ(s.checkView.rows(), 3);
    s.controls.clearModes();

    s.dialogs.expectInformation(kChooseMode);
    s.scan("5/7211/5");
    s.dialogs.verify();
    EXPECT_EQ(s.checkView.rows(), 0);
    EXPECT_EQ(s.controls.productId, "");
    EXPECT_TRUE(s.basket().empty());

    s.dialogs.expectInformation(kNoSuchProduct);
    s.scan("7219");
    s.dialogs.verify();
    EXPECT_EQ(s.controls.productId, "");
}

TEST_F(SaleCounterTest, SoldOutArticleIsReleasedFromItsLatestBuyers) {
    db.sql(article(7301, "Szafa Duża", 0) + article(7302, "Półka", 3) +
           article(73010, "Szafa Mała", 1) + article(7303, "Regał Niski", 0) +
           purchase(911, 7301, "Szafa Duża", "1/7301/1", "2024-05-01 10:00:00") +
           purchase(912, 7301, "Szafa Duża", "7301", "2024-05-02 12:00:00") +
           purchase(913, 7301, "Szafa Duża", "8/7301", "2024-05-02 12:00:00") +
           // later, but another key that merely begins alike
           purchase(914, 73010, "Szafa Mała", "1/73010/1", "2024-06-01 08:00:00"));
    SaleStation s(db, directory);
    s.chooseSellMode();
    s.scan("7302");
    const Rows before{{"Półka", "7302"}};
    const auto ordersOfTheKeys = [&] {
        return standingOrders(s.catalogue).filter(QStringLiteral("7301"));
    };
    const QStringList allOrders{"911|1/7301/1", "912|7301", "913|8/7301", "914|1/73010/1"};
    ASSERT_EQ(ordersOfTheKeys(), allOrders);

    for (const bool firstAnswer : {false, true}) {
        s.dialogs.expectQuestion(kSoldOut, firstAnswer);
        if (firstAnswer)
            s.dialogs.expectQuestion(kSoldOutSure, false);
        s.scan("5/7301/5");
        s.dialogs.verify();
        EXPECT_EQ(ordersOfTheKeys(), allOrders);
        EXPECT_EQ(s.basketRows(), before);
    }

    s.dialogs.expectQuestion(kSoldOut, true).expectQuestion(kSoldOutSure, true);
    s.scan("5/7301/5");
    s.dialogs.verify();
    // Both purchases of the latest second go back; the basket is not touched.
    EXPECT_EQ(ordersOfTheKeys(), QStringList({"911|1/7301/1", "914|1/73010/1"}));
    EXPECT_EQ(amountOf(s.catalogue, 7301, "Szafa Duża"), 2);
    EXPECT_EQ(amountOf(s.catalogue, 73010, "Szafa Mała"), 1);
    EXPECT_EQ(s.basket(), before);
    EXPECT_EQ(s.basketRows(), before);
    EXPECT_EQ(s.controls.productId, "");

    // Released, it can be sold again.
    s.scan("5/7301/5");
    EXPECT_EQ(s.basket(), (Rows{{"Półka", "7302"}, {"Szafa Duża", "5/7301/5"}}));

    // Sold out with no purchase on record: nothing to release, nothing said.
    s.dialogs.expectQuestion(kSoldOut, true).expectQuestion(kSoldOutSure, true);
    s.scan("7303");
    s.dialogs.verify();
    EXPECT_EQ(amountOf(s.catalogue, 7303, "Regał Niski"), 0);
}

// One label, two articles, only one sold out. The orders of the key carry no article name, so
// the release offers the latest of them all to the sold-out article; the server gives back only
// an order of that very article and refuses the other, so no piece moves between the two.
TEST_F(SaleCounterTest, ReleaseUnderALabelOfTwoArticlesNeverMovesStock) {
    struct Case {
        const char* what;
        int key;
        bool sofaOrderFirst;
        const char* sofaBoughtAt;
        const char* fotelBoughtAt;
        int sofaAfter;
    };
    const Case cases[] = {
        {"same second, the sofa's order listed first", 7401, true, "2024-05-03 09:00:00",
         "2024-05-03 09:00:00", 1},
        {"same second, the armchair's order listed first", 7402, false, "2024-05-03 09:00:00",
         "2024-05-03 09:00:00", 0},
        {"the armchair bought later", 7403, true, "2024-05-03 09:00:00", "2024-05-03 10:00:00", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QString label = QString::number(c.key);
        const QString sofa = purchase(921, c.key, "Sofa", label, c.sofaBoughtAt);
        const QString fotel = purchase(922, c.key, "Fotel", "1/" + label, c.fotelBoughtAt);
        db.sql(article(c.key, "Fotel", 1) + article(c.key, "Sofa", 0) +
               (c.sofaOrderFirst ? sofa + fotel : fotel + sofa));
        SaleStation s(db, directory);
        s.chooseSellMode();
        s.dialogs.expectQuestion(kSoldOut, true)
            .expectQuestion(kSoldOutSure, true)
            .expectError(QStringLiteral("nie dotyczy artykułu o ODWO_ID %1").arg(c.key));
        EXPECT_FALSE(s.scan(label));
        s.dialogs.verify();

        EXPECT_EQ(amountOf(s.catalogue, c.key, "Sofa"), c.sofaAfter);
        EXPECT_EQ(amountOf(s.catalogue, c.key, "Fotel"), 1);
        const QStringList standing = standingOrders(s.catalogue).filter(label);
        EXPECT_TRUE(standing.contains("922|1/" + label));
        EXPECT_EQ(standing.contains("921|" + label), c.sofaAfter == 0);
        // The armchair's row came first and went into the basket before the release.
        EXPECT_EQ(s.basket(), (Rows{{"Fotel", label}}));
    }
}

TEST_F(SaleCounterTest, DeleteRemovesTheEntryOfTheSelectedRowWhateverTheSorting) {
    db.sql(article(7501, "Komoda", 1) + article(7502, "Antresola", 1) +
           article(7503, "Wieszak", 1));
    SaleStation s(db, directory);
    s.chooseSellMode();
    s.confirmWorker("906");
    for (const char* label : {"7501", "7502", "7503"})
        s.scan(label);

    // The view shows the basket sorted by name: the middle entry is on top.
    QSortFilterProxyModel sorted;
    sorted.setSourceModel(&s.basketView);
    sorted.sort(0, Qt::AscendingOrder);
    ASSERT_EQ(sorted.index(0, 0).data().toString(), "Antresola");
    std::optional<int> selectedOnScreen = 0;
    s.basketView.setSelectionSource([&]() -> std::optional<int> {
        if (!selectedOnScreen)
            return std::nullopt;
        return sorted.mapToSource(sorted.index(*selectedOnScreen, 0)).row();
    });

    s.dialogs.expectQuestion(kDelete, false);
    s.run([&] { s.counter.DeleteCurrentSummaryPositionButtonClick(); });
    EXPECT_EQ(s.basket().size(), 3u);

    s.dialogs.expectQuestion(kDelete, true);
    s.run([&] { s.counter.DeleteCurrentSummaryPositionButtonClick(); });
    s.dialogs.verify();
    const Rows kept{{"Komoda", "7501"}, {"Wieszak", "7503"}};
    EXPECT_EQ(s.basket(), kept);
    EXPECT_EQ(s.basketRows(), kept);
    EXPECT_EQ(s.counter.workerId(), "906");
    EXPECT_TRUE(s.controls.sell);

    selectedOnScreen.reset();
    s.dialogs.expectQuestion(kDelete, true);
    s.run([&] { s.counter.DeleteCurrentSummaryPositionButtonClick(); });
    EXPECT_EQ(s.basket(), kept);

    selectedOnScreen = 1; // the second row on screen (Wieszak), then the only one left
    for (int i = 0; i < 2; ++i) {
        s.dialogs.expectQuestion(kDelete, true);
        s.run([&] { s.counter.DeleteCurrentSummaryPositionButtonClick(); });
        selectedOnScreen = 0;
    }
    EXPECT_TRUE(s.basket().empty());
    EXPECT_EQ(s.basketView.rows(), 0);
    s.dialogs.expectQuestion(kDelete, true);
    s.run([&] { s.counter.DeleteCurrentSummaryPositionButtonClick(); });
    s.dialogs.verify();
    for (const auto& [key, name] :
         {std::pair{7501, "Komoda"}, {7502, "Antresola"}, {7503, "Wieszak"}})
        EXPECT_EQ(amountOf(s.catalogue, key, name), 1);
}

TEST_F(SaleCounterTest, CancelDropsThePurchaseWritingNothing) {
    db.sql(article(7511, "Toaletka", 1));
    SaleStation s(db, directory);
    s.chooseSellMode();
    s.confirmWorker("906");
    s.scan("7511");

    s.dialogs.expectQuestion(kCancel, false);
    s.run([&] { s.counter.CancelCurrentSellingButtonClick(); });
    EXPECT_EQ(s.basketRows(), (Rows{{"Toaletka", "7511"}}));
    EXPECT_EQ(s.counter.workerId(), "906");

    s.dialogs.expectQuestion(kCancel, true);
    s.run([&] { s.counter.CancelCurrentSellingButtonClick(); });
    s.dialogs.verify();
    s.expectReset();
    EXPECT_EQ(amountOf(s.catalogue, 7511, "Toaletka"), 1);
}

// The worker-ID prompt of a completion with an empty worker field: only the character check,
// then stop; the next click goes on with the typed ID or asks again.
TEST_F(SaleCounterTest, WorkerIdPromptTakesOnlyTextsThatPassTheCharacterCheck) {
    db.sql(article(7521, "Szafka RTV", 5));
    struct Case {
        QString typed;
        bool refused;  // "not a number"
        QString field; // the worker field afterwards
    };
    const Case cases[] = {
        {"123", false, "123"},
        {"", false, ""}, // a cancelled prompt
        {"xyz", true, ""},
        {"12a", false, "12a"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        SaleStation s(db, directory);
        s.chooseSellMode();
        s.scan("7521");
        s.dialogs.expectInput(kPromptCaption, kPrompt, c.typed);
        if (c.refused)
            s.dialogs.expectInformation(kNotANumber);
        s.finalize();
        s.dialogs.verify();
        EXPECT_EQ(s.controls.workerId, c.field);
        EXPECT_EQ(s.counter.workerId(), c.typed);

        // The next click: with the field filled, the checks run (no worker has that ID);
        // with it empty, the prompt comes again.
        if (c.field.isEmpty())
            s.dialogs.expectInput(kPromptCaption, kPrompt, "");
        else
            s.dialogs.expectInformation(kNoSuchWorker);
        s.finalize();
        s.dialogs.verify();
        EXPECT_EQ(s.basket().size(), 1u);
    }
    SaleStation after(db, directory);
    EXPECT_EQ(amountOf(after.catalogue, 7521, "Szafka RTV"), 5);
}

TEST_F(SaleCounterTest, CompletionRefusals) {
    db.sql(article(7531, "Kredens", 2));
    {
        // No worker data was loaded at start.
        qm::workers::WorkerDirectory none;
        SaleStation s(db, none);
        s.chooseSellMode();
        s.confirmWorker("901");
        s.scan("7531");
        s.dialogs.expectInformation(kNoWorkerData);
        s.finalize();
        s.dialogs.verify();
    }
    SaleStation s(db, directory);
    s.chooseSellMode();
    s.scan("7531");
    // Two workers hold 903; nobody holds 999; nothing confirmed while 901 only stands in the
    // field.
    for (const char* confirmed : {"903", "999", ""}) {
        SCOPED_TRACE(confirmed);
        s.confirmWorker(confirmed);
        s.controls.workerId = "901";
        s.dialogs.expectInformation(kNoSuchWorker);
        s.finalize();
        s.dialogs.verify();
    }

    SaleStation empty(db, directory);
    empty.chooseSellMode();
    empty.confirmWorker("909");
    empty.dialogs.expectInformation(kEmptyBasket);
    empty.finalize();
    empty.dialogs.verify();

    // The statement is shown, then the operator does not finish: nothing changes.
    s.confirmWorker("909");
    s.dialogs.expectQuestion(kStatement, true).expectQuestion(kFinish, false);
    s.finalize();
    s.dialogs.verify();
    EXPECT_EQ(s.previews, std::vector<Rows>{(Rows{{"Kredens", "7531"}})});
    EXPECT_EQ(s.basketRows(), (Rows{{"Kredens", "7531"}}));
    EXPECT_EQ(s.counter.workerId(), "909");
    EXPECT_TRUE(s.controls.sell);
    EXPECT_TRUE(s.controls.purchaseButtonsEnabled());
    EXPECT_EQ(amountOf(s.catalogue, 7531, "Kredens"), 2);
    EXPECT_TRUE(labelsBoughtBy(s.catalogue, 909).isEmpty());
}

// A write that fails part-way: the entries committed before it have left the basket, the rest
// stay, so completing again records each entry once. Every article has pieces to spare, so that
// an entry recorded twice would be sold twice rather than refused by the server.
TEST_F(SaleCounterTest, FailurePartWayKeepsExactlyTheEntriesNotRecorded) {
    db.sql(article(7601, "Wersalka", 3) + article(7602, "Narożnik", 3) +
           article(7603, "Kanapa", 3));
    SaleStation s(db, directory);
    s.chooseSellMode();
    s.confirmWorker("908");
    for (const char* label : {"7601", "1/7602/1", "7603"})
        s.scan(label);
    const Rows notRecorded{{"Narożnik", "1/7602/1"}, {"Kanapa", "7603"}};
    {
        // Another workstation holds an uncommitted change of the second article.
        UncommittedChange hold(db, "UPDATE ARTICLES SET AMOUNT = AMOUNT WHERE ODWO_ID = 7602");
        s.dialogs.expectQuestion(kStatement, false)
            .expectQuestion(kFinish, true)
            .expectError("update conflicts with concurrent update");
        EXPECT_FALSE(s.finalize());
        s.dialogs.verify();
        EXPECT_EQ(labelsBoughtBy(s.catalogue, 908), QStringList({"7601"}));
        EXPECT_EQ(s.basket(), notRecorded);
        EXPECT_EQ(s.basketRows(), notRecorded);
        EXPECT_EQ(s.counter.workerId(), "908");
        EXPECT_TRUE(s.controls.sell);
        EXPECT_TRUE(s.controls.purchaseButtonsEnabled());
    }
    s.dialogs.expectQuestion(kStatement, false).expectQuestion(kFinish, true);
    EXPECT_TRUE(s.finalize());
    s.dialogs.verify();
    EXPECT_EQ(labelsBoughtBy(s.catalogue, 908), QStringList({"7601", "1/7602/1", "7603"}));
    for (const auto& [key, name] :
         {std::pair{7601, "Wersalka"}, {7602, "Narożnik"}, {7603, "Kanapa"}})
        EXPECT_EQ(amountOf(s.catalogue, key, name), 2) << name;
    s.expectReset();
}

// Another workstation sells the last piece of an entry's article between the completion's lookup
// and its write: the procedure refuses the write, and the entry is one that ran out meanwhile,
// named with the others once the rest is recorded. To place the other sale exactly there, the
// test database sells it when the program's write transaction starts (a transaction trigger,
// once, in an autonomous transaction of its own).
TEST_F(SaleCounterTest, ArticleSoldOutBetweenTheLookupAndTheWriteIsNamedAndTheRestRecorded) {
    db.sql(article(7611, "Sekretera", 2) + article(7612, "Konsola", 2) +
           "CREATE TABLE SELL_ELSEWHERE (ODWO_ID INTEGER);\n"
           "SET TERM ^ ;\n"
           "CREATE TRIGGER SELL_ELSEWHERE_AT_WRITE ON TRANSACTION START AS\n"
           "DECLARE k INTEGER;\n"
           "DECLARE done INTEGER;\n"
           "BEGIN\n"
           "  IF (CURRENT_USER = 'QUELMORA' AND\n"
           "      RDB$GET_CONTEXT('USER_SESSION', 'SOLD_ELSEWHERE') IS NULL) THEN BEGIN\n"
           "    SELECT FIRST 1 ODWO_ID FROM SELL_ELSEWHERE INTO :k;\n"
           "    IF (k IS NOT NULL) THEN BEGIN\n"
           "      done = RDB$SET_CONTEXT('USER_SESSION', 'SOLD_ELSEWHERE', '1');\n"
           "      IN AUTONOMOUS TRANSACTION DO BEGIN\n"
           "        UPDATE ARTICLES SET AMOUNT = 0 WHERE ODWO_ID = :k;\n"
           "        DELETE FROM SELL_ELSEWHERE;\n"
           "      END\n"
           "    END\n"
           "  END\n"
           "END^\n"
           "SET TERM ; ^\n"
           "GRANT SELECT, DELETE ON SELL_ELSEWHERE TO TRIGGER SELL_ELSEWHERE_AT_WRITE;\n"
           "GRANT UPDATE ON ARTICLES TO TRIGGER SELL_ELSEWHERE_AT_WRITE;");
    struct Dropped {
        TestDatabase& db;
        ~Dropped() {
            try {
                // Apart: a transaction of the dropping attachment would hold the table in use.
                db.sql("DROP TRIGGER SELL_ELSEWHERE_AT_WRITE;");
                db.sql("DROP TABLE SELL_ELSEWHERE;");
            } catch (const std::exception& e) {
                ADD_FAILURE() << "the selling trigger stays: " << e.what();
            }
        }
    } dropped{db};
    SaleStation s(db, directory);
    s.chooseSellMode();
    s.confirmWorker("920");
    s.scan("7611");
    s.scan("7612");
    const QStringList before = labelsBoughtBy(s.catalogue, 920);
    db.sql("INSERT INTO SELL_ELSEWHERE VALUES (7611);");
    s.dialogs.expectQuestion(kStatement, false)
        .expectQuestion(kFinish, true)
        .expectInformation(kSoldOutMeanwhile + "\n„Sekretera” (etykieta „7611”)");
    EXPECT_TRUE(s.finalize());
    s.dialogs.verify();
    s.expectReset();
    EXPECT_EQ(labelsBoughtBy(s.catalogue, 920), before + QStringList{"7612"});
    EXPECT_EQ(amountOf(s.catalogue, 7611, "Sekretera"), 0);
    EXPECT_EQ(amountOf(s.catalogue, 7612, "Konsola"), 1);
}

// Only a label whose key is a whole number reaches the lookup. Any other key is refused with
// the counter's own message before anything is sent: the server would round "3010.6" to the key
// of another article and answer the rest with its raw conversion errors.
TEST_F(SaleCounterTest, LabelKeyMustBeAWholeNumberBeforeItIsLookedUp) {
    db.sql(article(3010, "Regał Jesień", 5) + article(3011, "Pufa Wiosna", 5) +
           article(1000, "Ława Zima", 5) + article(7902, "Półka Lato", 5));
    SaleStation s(db, directory);
    s.chooseSellMode();
    s.confirmWorker("910");

    // Every valid form of a label finds its article, and keeps its own text in the basket.
    const QStringList valid{"12/3010/78", "12/3010", "3010", " 3010 "};
    Rows basket;
    for (const QString& label : valid) {
        SCOPED_TRACE(label.toStdString());
        EXPECT_TRUE(s.scan(label));
        s.dialogs.verify();
        basket.emplace_back("Regał Jesień", label);
        EXPECT_EQ(s.basket(), basket);
        EXPECT_EQ(s.controls.productId, "");
    }
    SaleStation check(db, directory);
    check.chooseCheckMode();
    check.scan("3010");
    ASSERT_EQ(check.checkView.rows(), 1);

    const QString longLabel(300, QLatin1Char('7'));
    struct Case {
        QString label;
        QString shown; // the label as the message quotes it
    };
    const Case cases[] = {
        {"3010.6", QStringLiteral("„3010.6”")},
        {"3010,6", QStringLiteral("„3010,6”")},
        {"1e3", QStringLiteral("„1e3”")},
        {"12//78", QStringLiteral("„12//78”")},
        {"////", QStringLiteral("„////”")},
        {"3010/", QStringLiteral("„3010/”")},
        {"12/99999999999/01", QStringLiteral("„12/99999999999/01”")},
        {"2147483648", QStringLiteral("„2147483648”")},
        {longLabel, QStringLiteral("„%1…” (długość 300)").arg(longLabel.left(40))},
        {QStringLiteral("12/30😀10/78"), QStringLiteral("„12/30😀10/78”")},
    };
    for (SaleStation* station : {&s, &check}) {
        SCOPED_TRACE(station == &s ? "sell mode" : "check mode");
        for (const Case& c : cases) {
            SCOPED_TRACE(c.label.left(30).toStdString());
            standLookupOn(station->catalogue, 7902);
            station->dialogs.expectError(
                QStringLiteral("Etykieta %1 nie zawiera poprawnego numeru artykułu.").arg(c.shown));
            EXPECT_FALSE(station->scan(c.label));
            station->dialogs.verify();
            EXPECT_TRUE(lookupStillStandsOn(station->catalogue, 7902)) << "a lookup was sent";
            EXPECT_EQ(station->controls.productId, "");
            EXPECT_EQ(station->basket(), station == &s ? basket : Rows{});
            EXPECT_EQ(station->basketRows(), station == &s ? basket : Rows{});
            ASSERT_EQ(station->checkView.rows(), station == &s ? 0 : 1);
            if (station == &check) {
                EXPECT_EQ(check.checkView.text(0, 2), "Regał Jesień");
            }
        }
    }

    // The valid forms are recorded as before, each under its own label text.
    s.dialogs.expectQuestion(kStatement, false).expectQuestion(kFinish, true);
    EXPECT_TRUE(s.finalize());
    s.dialogs.verify();
    EXPECT_EQ(labelsBoughtBy(s.catalogue, 910), valid);
    EXPECT_EQ(amountOf(s.catalogue, 3010, "Regał Jesień"), 1);
    for (const auto& [key, name] :
         {std::pair{3011, "Pufa Wiosna"}, {1000, "Ława Zima"}, {7902, "Półka Lato"}})
        EXPECT_EQ(amountOf(s.catalogue, key, name), 5);
    s.expectReset();
}

// The whole label text is recorded with the purchase. A label that the database could not store
// (a character outside the connection's code page, or longer than the recorded label may be) is
// refused at the scan, so it never fails a completion after other entries were committed.
TEST_F(SaleCounterTest, LabelThatCannotBeRecordedIsRefusedAtTheScan) {
    db.sql(article(7901, "Taboret", 9));
    SaleStation s(db, directory);
    s.chooseSellMode();
    s.confirmWorker("907");
    const QString at200 = "1/7901/" + QString(193, QLatin1Char('x'));
    const QString at201 = at200 + QLatin1Char('x');

    struct Case {
        QString label;
        QString refusal; // part of the message; empty: the label is taken
    };
    const Case cases[] = {
        {"7901", {}},
        {QStringLiteral("Ż/7901/ąę"), {}},
        {at200, {}},
        {QStringLiteral("😀/7901/😀"), QStringLiteral("zawiera znak „😀” (U+1F600)")},
        {QStringLiteral("货/7901/x"), QStringLiteral("zawiera znak „货” (U+8D27)")},
        {QStringLiteral("1/7901/") + QChar(0xD800), QStringLiteral("zawiera znak U+D800")},
        {at201, QStringLiteral("(długość 201) jest za długa: w bazie danych można zapisać "
                               "najwyżej 200 znaków")},
        {"1/7901/" + QString(100000, QLatin1Char('x')),
         QStringLiteral("(długość 100007) jest za długa")},
    };
    Rows basket;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label.left(30).toStdString());
        if (c.refusal.isEmpty()) {
            EXPECT_TRUE(s.scan(c.label));
            basket.emplace_back("Taboret", c.label);
        } else {
            standLookupOn(s.catalogue, 7901);
            s.dialogs.expectError(c.refusal);
            EXPECT_FALSE(s.scan(c.label));
            EXPECT_TRUE(lookupStillStandsOn(s.catalogue, 7901)) << "a lookup was sent";
            const auto& shown = s.dialogs.shown();
            EXPECT_TRUE(!shown.empty() && shown.back().text.contains(QStringLiteral(
                                              "Produkt nie został dodany do koszyka.")));
        }
        s.dialogs.verify();
        EXPECT_EQ(s.controls.productId, "");
        EXPECT_EQ(s.basket(), basket);
        EXPECT_EQ(s.basketRows(), basket);
    }

    // Every label taken is recorded whole.
    s.dialogs.expectQuestion(kStatement, false).expectQuestion(kFinish, true);
    EXPECT_TRUE(s.finalize());
    s.dialogs.verify();
    EXPECT_EQ(labelsBoughtBy(s.catalogue, 907),
              QStringList({"7901", QStringLiteral("Ż/7901/ąę"), at200}));
    EXPECT_EQ(amountOf(s.catalogue, 7901, "Taboret"), 6);
    s.expectReset();

    // Only a label that is sold must be recordable: the check view shows the article.
    s.chooseCheckMode();
    s.scan(QStringLiteral("😀/7901/😀"));
    s.dialogs.verify();
    ASSERT_EQ(s.checkView.rows(), 1);
    EXPECT_EQ(s.checkView.text(0, 2), "Taboret");
}

// A preview that fails is reported, and the completion goes on with its next question.
TEST_F(SaleCounterTest, FailedPreviewDoesNotEndTheCompletion) {
    db.sql(article(7911, "Sekretarzyk", 3));
    struct Case {
        const char* what;
        std::function<void()> fault;
        QString reported;
        bool finish;
    };
    const Case cases[] = {
        {"program error",
         [] { throw qm::AppError(QStringLiteral("Nie można odczytać daty serwera.")); },
         QStringLiteral("Nie można odczytać daty serwera."), true},
        {"paint error", [] { throw std::runtime_error("painter not active"); },
         QStringLiteral("painter not active"), true},
        {"declined after it", [] { throw std::runtime_error("painter not active"); },
         QStringLiteral("painter not active"), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SaleStation s(db, directory);
        s.chooseSellMode();
        s.confirmWorker("905");
        s.scan("7911");
        const QStringList before = labelsBoughtBy(s.catalogue, 905);
        s.previewFault = c.fault;
        s.dialogs.expectQuestion(kStatement, true)
            .expectError(c.reported)
            .expectQuestion(kFinish, c.finish);
        EXPECT_TRUE(s.finalize());
        s.dialogs.verify();
        EXPECT_EQ(s.previews.size(), 1u);
        if (c.finish) {
            EXPECT_EQ(labelsBoughtBy(s.catalogue, 905), before + QStringList{"7911"});
            s.expectReset();
        } else {
            EXPECT_EQ(labelsBoughtBy(s.catalogue, 905), before);
            EXPECT_EQ(s.basket(), (Rows{{"Sekretarzyk", "7911"}}));
            EXPECT_TRUE(s.controls.sell);
        }
    }
    SaleStation s(db, directory);
    EXPECT_EQ(amountOf(s.catalogue, 7911, "Sekretarzyk"), 1);
}

} // namespace
