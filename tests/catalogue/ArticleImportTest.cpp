#include "CatalogueHarness.h"

using namespace qm::test;
using qm::catalogue::ImportOutcome;

namespace {

const QString kChooseFile = QStringLiteral("Wybierz plik CSV");
const QString kFailed = QStringLiteral("Import danych nie powiódł się");
const QString kSucceeded = QStringLiteral("Import danych powiódł się");
const QString kSucceededWithErrors =
    QStringLiteral("Import danych powiódł się pomimo pewnych błędów. Błędne rekordy nie zostały "
                   "zaimportowane.");
const QString kStartUpQuestion = QStringLiteral("Czy zaimportować plik CSV z artykułami?");

TestDatabase& importDatabase() {
    static TestDatabase db(QStringLiteral("catalogue-import"));
    return db;
}

class ArticleImportTest : public ::testing::Test {
protected:
    TestDatabase& db = importDatabase();
    ScratchFiles files;
};

TEST_F(ArticleImportTest, RejectedRecordsAreListedAndEveryOtherRecordIsRegistered) {
    db.sql("INSERT INTO ARTICLES (ODWO_ID, CODE, NAME, AMOUNT, PRICE) "
           "VALUES (1004, 'K4', 'Istniejąca Komoda', 1, 10);");
    const QByteArray fabric = QByteArray(200, 'T');
    const QString path = files.write(
        "artykuly.csv", "\xEF\xBB\xBF" + kArticleHeader + "1001;K1;Szafa Ćma;" + fabric +
                            ";Len;Dąb;2;0;kl;1;100\r\n"
                            ";K2;Bez numeru;;;;1;0;;1;1\r\n"
                            "1002;K2\r\n"
                            "1003 ; K3 ;\tKomoda;;;;1;1001;;0,5;12,50\r\n"
                            "\r\n"
                            // Held already: rejected whatever its QBM and CENA hold.
                            "1004;K4;Istniejąca Komoda;;;;1;0;;abc;\r\n"
                            // The same article as the first record of this file.
                            "1001;K1;Szafa Ćma;;;;5;0;;1;1\r\n"
                            "1005;K5;\"Łóżko \"\"Ala\"\"; białe\";;;;3;0;;1.25;99.99");
    CatalogueStation s(db);
    s.importFile(path, kSucceededWithErrors);

    const std::vector<QStringList> rejected{
        {"Pusty rekord", "", "K2", "Bez numeru"},
        {"Pusty rekord", "1002", "K2", ""},
        {"Istniejący rekord", "1004", "K4", "Istniejąca Komoda"},
        {"Istniejący rekord", "1001", "K1", "Szafa Ćma"},
    };
    EXPECT_EQ(s.errorRows(), rejected);
    EXPECT_TRUE(s.reportButtonEnabled());
    EXPECT_EQ(s.import.lastOutcome(), ImportOutcome::SuccessWithErrors);
    // Fabric names reach the server cut to the parameter's 80 characters; the last record of
    // the file is registered like any other.
    EXPECT_EQ(storedArticles(s.catalogue, 1001, 1005),
              QStringList({"1004|K4|Istniejąca Komoda||||1|||10,00",
                           "1001|K1|Szafa Ćma|" + QString(80, 'T') + "|Len|Dąb|2|0|1,00|100,00",
                           "1003|K3|Komoda||||1|1001|0,50|12,50",
                           "1005|K5|\"Łóżko \"\"Ala\"\"; białe\"||||3|0|1,25|99,99"}));
    EXPECT_TRUE(s.dialogs.reports.empty()); // a short file shows no progress

    // The same file again: nothing new, every article rejected as held.
    s.importFile(path, kSucceededWithErrors);
    EXPECT_EQ(s.errorRows().size(), 7u);
    EXPECT_EQ(storedArticles(s.catalogue, 1001, 1005).size(), 4);
}

TEST_F(ArticleImportTest, AFileOfOneRecordImportsIt) {
    const QString path = files.write("jeden.csv", kArticleHeader + "1101;J;Jedyny;;;;1;0;;1;5\n");
    CatalogueStation s(db);
    s.importFile(path, kSucceeded);
    EXPECT_TRUE(s.errorRows().empty());
    EXPECT_TRUE(s.reportButtonEnabled());
    EXPECT_EQ(storedArticles(s.catalogue, 1101, 1101),
              QStringList({"1101|J|Jedyny||||1|0|1,00|5,00"}));
}

// Each file: a committed article, a rejected one, then the record that ends the import, then
// one more article that must not be registered.
struct FailureCase {
    const char* what;
    QByteArray failing; // the record on line 4; "@" stands for its own ODWO_ID
    QString secondLine; // the line under the failure message; ending in ": ", the server's
                        // text follows
};

class ArticleImportFailure : public ArticleImportTest,
                             public ::testing::WithParamInterface<FailureCase> {};

TEST_P(ArticleImportFailure, EndsAtTheRecordAndSaysWhere) {
    static int base = 1200;
    base += 10;
    const FailureCase& c = GetParam();
    QByteArray failing = c.failing;
    failing.replace("@", QByteArray::number(base + 3));
    const QString path = files.write(
        "zly.csv", "\xEF\xBB\xBF" + kArticleHeader + QByteArray::number(base + 1) +
                       ";A;Pierwszy;;;;1;0;;1;10\n" + QByteArray::number(base + 2) + ";B;;\n" +
                       failing + "\n" + QByteArray::number(base + 4) + ";D;Czwarty;;;;1;0;;1;10\n");
    CatalogueStation s(db);
    const QString expected =
        kFailed + "\n" + QString(c.secondLine).replace("@", QString::number(base + 3));
    const QString box = s.importFileShowing(path);
    if (expected.endsWith(": "))
        EXPECT_TRUE(box.startsWith(expected) && box.size() > expected.size()) << box.toStdString();
    else
        EXPECT_EQ(box, expected);

    EXPECT_EQ(s.errorRows(),
              (std::vector<QStringList>{{"Pusty rekord", QString::number(base + 2), "B", ""}}));
    EXPECT_FALSE(s.reportButtonEnabled());
    EXPECT_EQ(s.import.lastOutcome(), ImportOutcome::Failed);
    EXPECT_EQ(storedArticles(s.catalogue, base + 1, base + 9),
              QStringList({QString::number(base + 1) + "|A|Pierwszy||||1|0|1,00|10,00"}));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ArticleImportFailure,
    ::testing::Values(
        FailureCase{"quantity that is no whole number", "@;C;Trzeci;;;;dwa;0;;1;10",
                    "Wiersz 4, kolumna ILOSC: wartość „dwa” nie jest liczbą całkowitą."},
        FailureCase{"article number out of range", "2147483648;C;Trzeci;;;;1;0;;1;10",
                    "Wiersz 4, kolumna ODWO_ID: wartość „2147483648” nie jest liczbą "
                    "całkowitą."},
        FailureCase{"hexadecimal parent", "@;C;Trzeci;;;;1;0x10;;1;10",
                    "Wiersz 4, kolumna ARTYKUL_RODZIC_ID: wartość „0x10” nie jest liczbą "
                    "całkowitą."},
        FailureCase{"empty parent", "@;C;Trzeci;;;;1;;;1;10",
                    "Wiersz 4, kolumna ARTYKUL_RODZIC_ID: wartość „” nie jest liczbą "
                    "całkowitą."},
        FailureCase{"price with two separators", "@;C;Trzeci;;;;1;0;;1;12.50,1",
                    "Wiersz 4, kolumna CENA: wartość „12.50,1” nie jest liczbą (na przykład "
                    "12.50 lub 12,50)."},
        FailureCase{"empty QBM", "@;C;Trzeci;;;;1;0;;;10",
                    "Wiersz 4, kolumna QBM: wartość „” nie jest liczbą (na przykład 12.50 lub "
                    "12,50)."},
        FailureCase{"a price the server cannot hold", "@;C;Trzeci;;;;1;0;;1;99999999999999999999",
                    "Wiersz 4 (ODWO_ID „@”, NAZWA „Trzeci”): "},
        FailureCase{"a name outside the connection's code page", "@;C;Trzeci 中;;;;1;0;;1;10",
                    "Wiersz 4 (ODWO_ID „@”, NAZWA „Trzeci 中”): "}));

TEST_F(ArticleImportTest, CancelledDialogMissingFileAndRefusedFiles) {
    CatalogueStation s(db);
    // An earlier import leaves rows; every later import empties the list first.
    s.importFile(files.write("a.csv", kArticleHeader + ";;\n"), kSucceededWithErrors);
    ASSERT_EQ(s.errorRows().size(), 1u);

    s.expectOpenFile(QString()).expectInformation(kChooseFile);
    s.run([&] { s.import.LoadCSVFileButtonClick(); });
    s.dialogs.verify();
    EXPECT_TRUE(s.errorRows().empty());
    EXPECT_FALSE(s.reportButtonEnabled());

    // A name typed in the dialog that names no file: nothing to import.
    s.importFile(files.path("nie-ma.csv"), kSucceeded);
    EXPECT_TRUE(s.reportButtonEnabled());

    struct Refused {
        QString path;
        QString reason;
    };
    const Refused refused[] = {
        {files.folder(), "jest folderem"},
        {files.write("pusty.csv", ""), "jest pusty"},
        {files.write("naglowek.csv", "ODWO_ID;Cena brutto\n1;2\n"), "„Cena brutto”"},
        {files.write("cp.csv", kArticleHeader + "1301;K;\x90\n"), "bajt 0x90"},
        {files.write("utf.csv", "\xEF\xBB\xBF" + kArticleHeader + "1302;K;\xFF\n"), "UTF-8"},
    };
    for (const Refused& r : refused) {
        SCOPED_TRACE(r.path.toStdString());
        s.expectOpenFile(r.path).expectError(r.reason);
        EXPECT_FALSE(s.run([&] { s.import.LoadCSVFileButtonClick(); }));
        s.dialogs.verify();
        EXPECT_TRUE(s.errorRows().empty());
        EXPECT_FALSE(s.reportButtonEnabled());
    }
    EXPECT_TRUE(storedArticles(s.catalogue, 1301, 1302).isEmpty());
}

TEST_F(ArticleImportTest, StartUpQuestionRunsTheSameImport) {
    const QString path = files.write("start.csv", kArticleHeader + "1401;S;Startowy;;;;1;0;;1;1\n");
    CatalogueStation s(db);
    int tabShown = 0;
    s.dialogs.expectQuestion(kStartUpQuestion, false);
    EXPECT_FALSE(s.import.offerStartUpImport([&] { ++tabShown; }));
    EXPECT_EQ(tabShown, 0);

    s.dialogs.expectQuestion(kStartUpQuestion, true);
    s.expectOpenFile(path).expectInformation(kSucceeded);
    EXPECT_TRUE(s.run([&] { s.import.offerStartUpImport([&] { ++tabShown; }); }));
    s.dialogs.verify();
    EXPECT_EQ(tabShown, 1);
    EXPECT_EQ(storedArticles(s.catalogue, 1401, 1401).size(), 1);
}

// Another workstation registers the same article between this one's check and its write: the
// server refuses the second insert, and the import stops there without registering it twice.
TEST_F(ArticleImportTest, TheSameArticleFromTwoWorkstationsIsRegisteredOnce) {
    const QString path = files.write("dwa.csv", "\xEF\xBB\xBF" + kArticleHeader +
                                                    "1501;A;Wspólny;;;;1;0;;1;10\n"
                                                    "1502;B;Następny;;;;1;0;;1;10\n");
    CatalogueStation s(db);
    {
        UncommittedChange other(db, "INSERT INTO ARTICLES (ODWO_ID, CODE, NAME, AMOUNT) "
                                    "VALUES (1501, 'A', 'Wspólny', 1)");
        const QString box = s.importFileShowing(path);
        EXPECT_TRUE(box.startsWith(kFailed + "\nWiersz 2 (ODWO_ID „1501”, NAZWA „Wspólny”): "))
            << box.toStdString();
    }
    EXPECT_TRUE(storedArticles(s.catalogue, 1501, 1502).isEmpty());
    EXPECT_EQ(s.import.lastOutcome(), ImportOutcome::Failed);
}

// An administrator shuts the station's attachment down in the middle of a long import: the next
// record's check attaches again, the import goes on to its end, the progress box is closed, and
// every record is stored once.
TEST_F(ArticleImportTest, AttachmentShutDownInTheMiddleIsAttachedAgain) {
    QByteArray bytes = kArticleHeader;
    const int total = 400;
    for (int i = 0; i < total; ++i)
        bytes +=
            QByteArray::number(20000 + i) + ";K;Seria;;;;1;0;;1;" + QByteArray::number(i) + "\n";
    const QString path = files.write("dlugi.csv", bytes);
    CatalogueStation s(db);
    s.dialogs.onProgress = [&](int done, int) {
        if (done == 150)
            db.sql("DELETE FROM MON$ATTACHMENTS WHERE MON$USER = 'QUELMORA';");
    };
    EXPECT_EQ(s.importFileShowing(path), kSucceeded);
    EXPECT_EQ(s.connection.reconnects(), 1);
    EXPECT_TRUE(s.reportButtonEnabled());
    ASSERT_FALSE(s.dialogs.reports.empty());
    EXPECT_EQ(s.dialogs.reports.front().done, 0);
    EXPECT_EQ(s.dialogs.reports.back().done, total);

    CatalogueStation again(db);
    EXPECT_EQ(storedArticles(again.catalogue, 20000, 20000 + total).size(), total);
}

} // namespace
