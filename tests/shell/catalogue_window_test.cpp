// The "Import CSV" and "Popraw Ceny" tabs on the real window against the real server: the import
// started by its button and by the start question, the article list refreshed, sorted by a click
// on a heading, a row chosen by a click and its price corrected, and each tab's report written
// from what its view shows, every dialog scripted. What reached the database is read back as
// SYSDBA, apart from the program.
#include "TabHarness.h"
#include "WindowHarness.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QPushButton>

using namespace qm;
using qm::test::clickHeading;
using qm::test::clickRow;
using qm::test::clickTab;
using qm::test::InTemporaryDirectory;
using qm::test::kCsvSaved;
using qm::test::kGenerateReport;
using qm::test::kImport;
using qm::test::kLoadWorkers;
using qm::test::kReportForm;
using qm::test::kReportFormCaptions;
using qm::test::readReportCsv;
using qm::test::Rows;
using qm::test::shownCaptions;
using qm::test::shownRows;
using qm::test::TestDatabase;

namespace {

const QString kCsvFilter = QStringLiteral("csv files (*.csv)|*.csv");

const QString kWithErrors =
    QStringLiteral("Import danych powiódł się pomimo pewnych błędów. Błędne rekordy nie zostały "
                   "zaimportowane.");
const QString kOpenFileAsked = QDir::rootPath() + QStringLiteral("|csv files (*.csv)|*.csv");
const QByteArray kHeader = "ODWO_ID;KOD;NAZWA;NAZWA_TKA1;NAZWA_TKA2;NAZWA_KORPUSU;ILOSC;"
                           "ARTYKUL_RODZIC_ID;KLASYFIKACJA;QBM;CENA\r\n";

class CatalogueWindowTest : public qm::test::WindowFixture {
protected:
    static void SetUpTestSuite() {
        db_ = new TestDatabase(QStringLiteral("cataloguewindow"));
        db_->sql(QStringLiteral("INSERT INTO ARTICLES (ODWO_ID, CODE, NAME, AMOUNT, PRICE) VALUES "
                                "(8301, 'K1', 'Stół Dębowy', 1, 100);\n"
                                "INSERT INTO ARTICLES (ODWO_ID, CODE, NAME, AMOUNT, PRICE) VALUES "
                                "(8501, 'P1', 'Szafa Buk', 2, 100);\n"
                                "INSERT INTO ARTICLES (ODWO_ID, CODE, NAME, AMOUNT, PRICE) VALUES "
                                "(8502, 'P2', 'Biurko Jesion', 3, 250);\n"
                                "INSERT INTO ARTICLES (ODWO_ID, CODE, NAME, AMOUNT, PRICE) VALUES "
                                "(8503, 'P3', 'Ława Orzech', 4, 10);\n"));
    }
    static void TearDownTestSuite() {
        delete db_;
        db_ = nullptr;
    }

    // The articles from..to as the database holds them: "ODWO_ID|KOD|NAZWA|CENA".
    static QStringList stored(int from, int to) {
        const QString out = db_->query(
            QStringLiteral("SELECT ODWO_ID || '|' || CODE || '|' || NAME || '|' || "
                           "COALESCE(PRICE, '') AS R FROM ARTICLES WHERE ODWO_ID BETWEEN %1 "
                           "AND %2 ORDER BY ODWO_ID;")
                .arg(from)
                .arg(to));
        QStringList rows;
        for (const QString& line : out.split(QLatin1Char('\n')))
            if (line.startsWith(QLatin1String("R ")))
                rows << line.mid(2).trimmed();
        return rows;
    }

    // An article file (UTF-8 with its byte-order mark) of new articles from `first` on: a new
    // one, the article the database holds, an empty record, and a new one as the last record.
    QString articleFile(int first) {
        const QByteArray a = QByteArray::number(first);
        const QByteArray b = QByteArray::number(first + 1);
        const QByteArray bytes = "\xEF\xBB\xBF" + kHeader + a +
                                 ";N1;Komoda Świerk;Len;;Dąb;2;0;kl;1,5;450,00\r\n"
                                 "8301;K1;Stół Dębowy;;;;1;0;;abc;\r\n"
                                 ";;;;;;;;;;\r\n" +
                                 b + ";N2;Regał Łoś;;;;1;0;;2.25;310.50\r\n";
        const QString path = files_.filePath(QStringLiteral("artykuly-%1.csv").arg(first));
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
        return path;
    }

    // The error list the file above leaves.
    static Rows rejected() {
        return {{"Istniejący rekord", "8301", "K1", "Stół Dębowy"}, {"Pusty rekord", "", "", ""}};
    }

    // The tab's "Wygeneruj raport" answered "TAK", then "CSV": the file read back.
    Rows csvReport(QPushButton* button, const QString& reportName) {
        InTemporaryDirectory cwd;
        dialogs_.expectQuestion(kGenerateReport, true)
            .expectQuestion(kReportForm, false, kReportFormCaptions)
            .expectInformation(kCsvSaved + QStringLiteral("\r\n") +
                               QDir::toNativeSeparators(cwd.path()));
        QTest::mouseClick(button, Qt::LeftButton);
        dialogs_.verify();
        return readReportCsv(cwd.filePath(reportName + QStringLiteral(".csv")));
    }

    QTemporaryDir files_;
    static TestDatabase* db_;
};

TestDatabase* CatalogueWindowTest::db_ = nullptr;

TEST_F(CatalogueWindowTest, ImportButtonRegistersNewArticlesAndListsTheRejectedOnes) {
    open(*db_);
    show(false);
    clickTab(*window_, window_->cxImportCSVFileToDBTabSheet);
    EXPECT_TRUE(window_->GenerateReportImportCSVButton->isEnabled());

    const QString file = articleFile(8401);
    dialogs_.clearShown();
    dialogs_.expectOpenFile(QDir::rootPath(), kCsvFilter, file).expectInformation(kWithErrors);
    QTest::mouseClick(window_->LoadCSVFileButton, Qt::LeftButton);
    dialogs_.verify();
    ASSERT_FALSE(dialogs_.shown().empty());
    EXPECT_EQ(dialogs_.shown().front().text, kOpenFileAsked);

    EXPECT_EQ(shownCaptions(window_->cxImportCSVReportGrid),
              (QStringList{"POWOD BLEDU", "ODWO_ID", "KOD", "NAZWA"}));
    EXPECT_EQ(shownRows(window_->cxImportCSVReportGrid), rejected());
    EXPECT_TRUE(window_->GenerateReportImportCSVButton->isEnabled());
    EXPECT_EQ(stored(8300, 8409),
              (QStringList{"8301|K1|Stół Dębowy|100.00", "8401|N1|Komoda Świerk|450.00",
                           "8402|N2|Regał Łoś|310.50"}));

    // The error list as the operator sorted it, under the import's report name.
    clickHeading(window_->cxImportCSVReportGrid, 1);
    const Rows shown = shownRows(window_->cxImportCSVReportGrid);
    EXPECT_EQ(shown, (Rows{rejected()[1], rejected()[0]})) << "sorted by ODWO_ID";
    const Rows csv = csvReport(window_->GenerateReportImportCSVButton,
                               QStringLiteral("QXR_Uzyskane_bledy_podczas_importu_pliku_CSV"));
    ASSERT_FALSE(csv.isEmpty());
    EXPECT_EQ(csv.first(), (QStringList{"POWOD BLEDU", "ODWO_ID", "KOD", "NAZWA"}));
    EXPECT_EQ(csv.mid(1), shown);

    // A cancelled dialog empties the list and takes the report away.
    dialogs_.expectOpenFile(QDir::rootPath(), kCsvFilter, QString())
        .expectInformation(QStringLiteral("Wybierz plik CSV"));
    QTest::mouseClick(window_->LoadCSVFileButton, Qt::LeftButton);
    dialogs_.verify();
    EXPECT_TRUE(shownRows(window_->cxImportCSVReportGrid).isEmpty());
    EXPECT_FALSE(window_->GenerateReportImportCSVButton->isEnabled());
}

TEST_F(CatalogueWindowTest, StartQuestionAnsweredYesImportsOnTheImportTab) {
    open(*db_);
    const QString file = articleFile(8411);
    dialogs_.expectQuestion(kLoadWorkers, false)
        .expectQuestion(kImport, true)
        .expectOpenFile(QDir::rootPath(), kCsvFilter, file)
        .expectInformation(kWithErrors);
    window_->show();
    qm::test::waitForStartQuestions(*window_);
    EXPECT_TRUE(QTest::qWaitFor([this] { return dialogs_.finished(); }, 5000));
    dialogs_.verify();
    EXPECT_EQ(window_->cxMainPageControl->currentWidget(), window_->cxImportCSVFileToDBTabSheet);
    EXPECT_EQ(shownRows(window_->cxImportCSVReportGrid), rejected());
    EXPECT_TRUE(window_->GenerateReportImportCSVButton->isEnabled());
    EXPECT_EQ(stored(8411, 8412),
              (QStringList{"8411|N1|Komoda Świerk|450.00", "8412|N2|Regał Łoś|310.50"}));
}

TEST_F(CatalogueWindowTest, PriceOfTheRowChosenInTheSortedListIsCorrected) {
    open(*db_);
    show(false);
    clickTab(*window_, window_->cxModifyPricesTabSheet);
    EXPECT_TRUE(shownRows(window_->cxModifyPricesGrid).isEmpty()) << "filled only on request";
    QTest::mouseClick(window_->RefreshDataButton, Qt::LeftButton);
    const GridTable& articles = window_->articlesTable();
    const auto shownRowOf = [this](const QString& odwoId) {
        return int(qm::test::column(shownRows(window_->cxModifyPricesGrid), 0).indexOf(odwoId));
    };
    ASSERT_GE(shownRowOf(QStringLiteral("8502")), 0);
    EXPECT_EQ(shownRows(window_->cxModifyPricesGrid).at(shownRowOf(QStringLiteral("8503"))),
              (QStringList{"8503", "P3", "Ława Orzech", "", "", "", "4", "", "", "10,00", "12,3"}));

    // Sorted by the name, the article 8502 ("Biurko Jesion") stands elsewhere than in the list.
    clickHeading(window_->cxModifyPricesGrid, 2);
    const int chosen = shownRowOf(QStringLiteral("8502"));
    ASSERT_GE(chosen, 0);
    int inGrid = -1;
    for (int r = 0; r < articles.rows(); ++r)
        if (articles.text(r, 0) == QLatin1String("8502"))
            inGrid = r;
    ASSERT_NE(chosen, inGrid) << "the sort should move the article";
    clickRow(window_->cxModifyPricesGrid, chosen);

    dialogs_
        .expectQuestion(QStringLiteral("Czy na pewno zmodyfikować cenę wybranego produktu?"), true)
        .expectInput(QStringLiteral("Proszę podać nową cenę"), QStringLiteral("Nowa cena: "),
                     QStringLiteral("12.50"))
        .expectQuestion(
            QStringLiteral("Czy na pewno zastąpić starą cenę wybranego produktu przez nową?"),
            true);
    QTest::mouseClick(window_->ModifyPriceButton, Qt::LeftButton);
    dialogs_.verify();
    EXPECT_EQ(stored(8501, 8503),
              (QStringList{"8501|P1|Szafa Buk|100.00", "8502|P2|Biurko Jesion|12.50",
                           "8503|P3|Ława Orzech|10.00"}));
    const QStringList row = shownRows(window_->cxModifyPricesGrid).at(shownRowOf("8502"));
    EXPECT_EQ(row.mid(0, 3), (QStringList{"8502", "P2", "Biurko Jesion"}));
    EXPECT_EQ(row.mid(9), (QStringList{"12.50", "15,38"}));

    // The list's report holds what the view shows, in its order.
    const Rows shown = shownRows(window_->cxModifyPricesGrid);
    const Rows csv = csvReport(window_->GenerateReportInModifyPriceModeButton,
                               QStringLiteral("QXR_Wszystkie_artykuly_znajdujace_sie_w_bazie"));
    ASSERT_FALSE(csv.isEmpty());
    EXPECT_EQ(csv.first(), shownCaptions(window_->cxModifyPricesGrid));
    EXPECT_EQ(csv.mid(1), shown);
}

} // namespace
