// The roads of a sale on the real window: real key events in the two fields, real clicks on the
// buttons and radio buttons, the real grid views (sorted by the user), every dialog scripted, and
// the result read back from the real server through the catalogue's own procedures.
#include "WindowHarness.h"
#include "shell/TfMainPanel.h"
#include "ui/GridView.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>

using namespace qm;
using qm::test::choose;
using qm::test::enter;
using qm::test::ScriptedDialogs;
using qm::test::TestDatabase;
using qm::test::type;
using shell::TfMainPanel;

namespace {

const QString kStatementQuestion =
    QStringLiteral("Czy wygenerować oświadczenie dla obecnych zakupów?");
const QString kFinish = QStringLiteral("Czy zakończyć obecne zakupy?");
const QString kSoldOut1 = QStringLiteral(
    "Ten produkt został już wyprzedany, więc nie można dodać go do koszyka. Czy cofnąć zakup dla "
    "poprzedniej osoby, która ten produkt już kupiła?");
const QString kSoldOut2 = QStringLiteral(
    "Czy na pewno cofnąć zakup dla poprzedniej osoby, która ten produkt już kupiła?");

class SaleWindowTest : public qm::test::WindowFixture {
protected:
    static void SetUpTestSuite() {
        db_ = new TestDatabase(QStringLiteral("salewindow"));
        db_->sql(QStringLiteral(
            "INSERT INTO WORKERS (REFERENCE_NUMBER, NAME, SURNAME, ADDRESS) VALUES "
            "(1201, 'Bożena', 'Kędzierska', 'Luboń');\n"
            "INSERT INTO WORKERS (REFERENCE_NUMBER, NAME) VALUES (1202, 'Jerzy');\n"
            "INSERT INTO ARTICLES (ODWO_ID, CODE, NAME, AMOUNT, PRICE) VALUES "
            "(8101, 'A1', 'Sofa Lizbona 3F', 5, 1299);\n"
            "INSERT INTO ARTICLES (ODWO_ID, CODE, NAME, AMOUNT, PRICE) VALUES "
            "(8102, 'B1', 'Narożnik Verona lewy', 5, 2100);\n"
            "INSERT INTO ARTICLES (ODWO_ID, CODE, NAME, AMOUNT, PRICE) VALUES "
            "(8102, 'B2', 'Pufa Verona', 5, 150.5);\n"
            "INSERT INTO ARTICLES (ODWO_ID, CODE, NAME, AMOUNT, PRICE) VALUES "
            "(8103, 'C1', 'Fotel Ćma', 5, 10.50);\n"
            "INSERT INTO ARTICLES (ODWO_ID, CODE, NAME, AMOUNT, PRICE) VALUES "
            "(8201, 'D1', 'Komoda Żuraw', 0, 700);\n"
            "INSERT INTO PURCHASES (USER_ID, ARTICLE_ID, LABEL, NAME, PURCHASED_AT) SELECT 1202, "
            "ARTICLE_ID, '3/8201/1', NAME, TIMESTAMP '2026-01-05 10:00:00' FROM ARTICLES WHERE "
            "ODWO_ID = 8201;\n"
            "INSERT INTO PURCHASES (USER_ID, ARTICLE_ID, LABEL, NAME, PURCHASED_AT) SELECT 1201, "
            "ARTICLE_ID, '8201', NAME, TIMESTAMP '2025-12-01 09:00:00' FROM ARTICLES WHERE "
            "ODWO_ID = 8201;\n"));
    }
    static void TearDownTestSuite() {
        delete db_;
        db_ = nullptr;
    }
    void SetUp() override {
        open(*db_);
        show(true);
    }
    void sellMode() { choose(window_->SellRadioButton); }
    void scan(const QString& label) {
        type(window_->ProductIDEdit, label);
        enter(window_->ProductIDEdit);
    }
    // The basket view as the operator sees it, in display order.
    QStringList basketShown() const {
        QStringList rows;
        QAbstractItemModel* m = window_->cxSummaryGridDBTableView1->model();
        for (int r = 0; r < m->rowCount(); ++r)
            rows << m->index(r, 0).data().toString() + QLatin1Char('|') +
                        m->index(r, 1).data().toString();
        return rows;
    }
    QStringList ordersOf(int worker) {
        db::Procedure& p = window_->catalogue().ibcspGetWorkerOrders;
        p.setInteger("I_USER_ID", worker);
        p.open();
        QStringList labels;
        p.walkRows(p.readCount(db::col::kCountWorkerOrders),
                   [&] { labels << p.asText(db::col::kLabel); });
        return labels;
    }

    static TestDatabase* db_;
};

TestDatabase* SaleWindowTest::db_ = nullptr;

TEST_F(SaleWindowTest, WorkerThreeScansAndCompletionRecordEveryEntry) {
    EXPECT_FALSE(window_->FinalizeSellButton->isEnabled()) << "no mode at start";
    sellMode();
    EXPECT_TRUE(window_->FinalizeSellButton->isEnabled());
    type(window_->WorkerIDEdit, QStringLiteral("1201"));
    enter(window_->WorkerIDEdit);
    scan(QStringLiteral("12/8101/01"));
    scan(QStringLiteral("12/8102/02")); // one label, two articles
    scan(QStringLiteral("8103"));
    scan(QStringLiteral("12/8102/02")); // the same again adds nothing
    EXPECT_EQ(basketShown(), (QStringList{QStringLiteral("Sofa Lizbona 3F|12/8101/01"),
                                          QStringLiteral("Narożnik Verona lewy|12/8102/02"),
                                          QStringLiteral("Pufa Verona|12/8102/02"),
                                          QStringLiteral("Fotel Ćma|8103")}));
    EXPECT_TRUE(window_->ProductIDEdit->text().isEmpty());

    dialogs_.expectQuestion(kStatementQuestion, false).expectQuestion(kFinish, true);
    QTest::mouseClick(window_->FinalizeSellButton, Qt::LeftButton);
    EXPECT_EQ(ordersOf(1201).filter(QStringLiteral("81")),
              (QStringList{QStringLiteral("12/8101/01"), QStringLiteral("12/8102/02"),
                           QStringLiteral("12/8102/02"), QStringLiteral("8103")}));
    // The counter is back at its start.
    EXPECT_TRUE(basketShown().isEmpty());
    EXPECT_TRUE(window_->WorkerIDEdit->text().isEmpty());
    EXPECT_FALSE(window_->SellRadioButton->isChecked());
    EXPECT_FALSE(window_->CheckProductRadioButton->isChecked());
    EXPECT_FALSE(window_->FinalizeSellButton->isEnabled());
    EXPECT_TRUE(window_->saleCounter().workerId().isEmpty());
}

TEST_F(SaleWindowTest, CheckModeShowsEveryArticleOfTheKeyWithItsPriceWithTax) {
    choose(window_->CheckProductRadioButton);
    EXPECT_FALSE(window_->WorkerIDEdit->isEnabled());
    scan(QStringLiteral("1/8102/1"));
    EXPECT_EQ(window_->cxSummaryGrid->currentWidget(), window_->cxSummaryGridDBTableView2);
    GridTable& check = window_->checkTable();
    ASSERT_EQ(check.rows(), 2);
    EXPECT_EQ(check.text(1, check.columnIndex(QStringLiteral("NAZWA"))),
              QStringLiteral("Pufa Verona"));
    EXPECT_EQ(check.text(1, check.columnIndex(QStringLiteral("CENA"))), QStringLiteral("150,50"));
    EXPECT_DOUBLE_EQ(check.value(1, check.columnIndex(QStringLiteral("CENA_Z_VAT"))).toDouble(),
                     185.12);
    EXPECT_TRUE(window_->saleCounter().arrayForShoppingProcess().empty());
}

TEST_F(SaleWindowTest, SoldOutArticleIsReleasedFromItsLatestBuyer) {
    sellMode();
    dialogs_.expectQuestion(kSoldOut1, true).expectQuestion(kSoldOut2, true);
    scan(QStringLiteral("9/8201/9"));
    EXPECT_TRUE(basketShown().isEmpty()) << "the scan itself adds nothing";
    EXPECT_EQ(ordersOf(1202).filter(QStringLiteral("8201")), QStringList())
        << "the latest order is released";
    EXPECT_EQ(ordersOf(1201).filter(QStringLiteral("8201")), QStringList{QStringLiteral("8201")})
        << "the earlier one stays";
    scan(QStringLiteral("9/8201/9"));
    EXPECT_EQ(basketShown(), QStringList{QStringLiteral("Komoda Żuraw|9/8201/9")});
}

TEST_F(SaleWindowTest, DeletingTheSelectedRowOfASortedViewRemovesThatEntry) {
    sellMode();
    scan(QStringLiteral("8101"));
    scan(QStringLiteral("8102"));
    ASSERT_EQ(window_->saleCounter().arrayForShoppingProcess().size(), 3u);
    // Sorted by name, descending: Sofa, Pufa, Narożnik; the middle entry (Narożnik) is last.
    window_->cxSummaryGridDBTableView1->sortByColumn(0, Qt::DescendingOrder);
    ASSERT_EQ(basketShown().last(), QStringLiteral("Narożnik Verona lewy|8102"));
    window_->cxSummaryGridDBTableView1->selectRow(2);
    dialogs_.expectQuestion(QStringLiteral("Czy na pewno usunąć zaznaczoną pozycję?"), true);
    QTest::mouseClick(window_->DeleteCurrentSummaryPositionButton, Qt::LeftButton);
    const auto& basket = window_->saleCounter().arrayForShoppingProcess();
    ASSERT_EQ(basket.size(), 2u);
    EXPECT_EQ(basket[0].articleName, QStringLiteral("Sofa Lizbona 3F"));
    EXPECT_EQ(basket[1].articleName, QStringLiteral("Pufa Verona"));
}

TEST_F(SaleWindowTest, CancellingEmptiesEverythingAndWritesNothing) {
    sellMode();
    type(window_->WorkerIDEdit, QStringLiteral("1202"));
    enter(window_->WorkerIDEdit);
    scan(QStringLiteral("8103"));
    const QStringList before = ordersOf(1202);
    dialogs_.expectQuestion(QStringLiteral("Czy na pewno anulować obecne zakupy?"), false);
    QTest::mouseClick(window_->CancelCurrentSellingButton, Qt::LeftButton);
    EXPECT_EQ(basketShown().size(), 1);
    dialogs_.expectQuestion(QStringLiteral("Czy na pewno anulować obecne zakupy?"), true);
    QTest::mouseClick(window_->CancelCurrentSellingButton, Qt::LeftButton);
    EXPECT_TRUE(basketShown().isEmpty());
    EXPECT_TRUE(window_->saleCounter().workerId().isEmpty());
    EXPECT_EQ(ordersOf(1202), before);
}

TEST_F(SaleWindowTest, StatementPreviewDuringCompletionThenDecliningRecordsNothing) {
    sellMode();
    type(window_->WorkerIDEdit, QStringLiteral("1202"));
    enter(window_->WorkerIDEdit);
    scan(QStringLiteral("8101"));
    const QStringList before = ordersOf(1202);
    bool previewed = false;
    dialogs_.expectQuestion(kStatementQuestion, true)
        .expectPreview(QStringLiteral("OŚWIADCZENIE"),
                       [&](const PrintableDocument&) { previewed = true; })
        .expectQuestion(kFinish, false);
    QTest::mouseClick(window_->FinalizeSellButton, Qt::LeftButton);
    EXPECT_TRUE(previewed);
    EXPECT_EQ(ordersOf(1202), before);
    EXPECT_EQ(basketShown().size(), 1);
}

TEST_F(SaleWindowTest, StatementButtonWritesTheBasketAsPdfAndChangesNothing) {
    sellMode();
    scan(QStringLiteral("7/8102/7"));
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("oswiadczenie.pdf"));
    const QString question =
        QStringLiteral("Czy na pewno wygenerować oświadczenie dla obecnych zakupów?");
    dialogs_.expectQuestion(question, false);
    QTest::mouseClick(window_->GenerateReportForSellButton, Qt::LeftButton);
    const QString title = QStringLiteral("OŚWIADCZENIE");
    dialogs_.expectQuestion(question, true).expectOutput(title, std::nullopt); // cancelled
    QTest::mouseClick(window_->GenerateReportForSellButton, Qt::LeftButton);
    EXPECT_FALSE(QFile::exists(pdf));
    dialogs_.expectQuestion(question, true)
        .expectOutput(title, ReportOutput{ReportOutput::Destination::File, 1})
        .expectSaveFile(QDir::currentPath(), QStringLiteral("PDF Document (*.pdf)|*.pdf;"), title,
                        pdf);
    QTest::mouseClick(window_->GenerateReportForSellButton, Qt::LeftButton);
    ASSERT_TRUE(QFile::exists(pdf));
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    ASSERT_TRUE(text.waitForFinished(30000));
    const QString content = QString::fromUtf8(text.readAllStandardOutput());
    EXPECT_TRUE(content.contains(QStringLiteral("Narożnik Verona lewy"))) << content.toStdString();
    EXPECT_TRUE(content.contains(QStringLiteral("Jasienica, dnia "))) << content.toStdString();
    EXPECT_EQ(basketShown().size(), 2);
    EXPECT_TRUE(window_->SellRadioButton->isChecked());
}

TEST_F(SaleWindowTest, RefusalsAndServerErrorsAreShownAndTheWindowRunsOn) {
    // Scanning before a mode is chosen.
    dialogs_.expectInformation(QStringLiteral("Proszę wybrać jedną z dwóch opcji widocznych w tym "
                                              "oknie przed zeskanowaniem produktu."));
    scan(QStringLiteral("8101"));
    sellMode();
    dialogs_.expectInformation(QStringLiteral("Brak podanego produktu w bazie"));
    scan(QStringLiteral("4/999999/4"));
    // A label without a whole-number key is refused in the general error report; the field is
    // cleared for the next scan.
    dialogs_.expectError(
        QStringLiteral("Etykieta „12//78” nie zawiera poprawnego numeru artykułu."));
    scan(QStringLiteral("12//78"));
    EXPECT_EQ(window_->ProductIDEdit->text(), QString());
    // A typed worker ID without Enter is not the confirmed one.
    type(window_->WorkerIDEdit, QStringLiteral("1201"));
    scan(QStringLiteral("8103"));
    dialogs_.expectInformation(QStringLiteral("Brak pracownika o podanym ID w pobranej bazie"));
    QTest::mouseClick(window_->FinalizeSellButton, Qt::LeftButton);
    EXPECT_EQ(basketShown(), QStringList{QStringLiteral("Fotel Ćma|8103")});
}

// An administrator shuts the workstation's attachment down twice during a purchase: the window
// attaches again on its own, the operator sees no message, and the basket stays and is recorded.
TEST_F(SaleWindowTest, AttachmentShutDownDuringAPurchaseCostsTheOperatorNothing) {
    const auto cut = [] {
        db_->sql(QStringLiteral("DELETE FROM MON$ATTACHMENTS WHERE MON$USER = 'QUELMORA';"));
    };
    const QStringList before = ordersOf(1202);
    sellMode();
    type(window_->WorkerIDEdit, QStringLiteral("1202"));
    enter(window_->WorkerIDEdit);
    scan(QStringLiteral("8103"));
    cut();
    scan(QStringLiteral("5/8101/5"));
    const QStringList scanned{QStringLiteral("Fotel Ćma|8103"),
                              QStringLiteral("Sofa Lizbona 3F|5/8101/5")};
    EXPECT_EQ(basketShown(), scanned);
    cut();
    dialogs_.expectQuestion(kStatementQuestion, false).expectQuestion(kFinish, true);
    QTest::mouseClick(window_->FinalizeSellButton, Qt::LeftButton);
    dialogs_.verify();
    EXPECT_TRUE(basketShown().isEmpty());
    EXPECT_EQ(ordersOf(1202), before + QStringList({"8103", "5/8101/5"}));
}

} // namespace
