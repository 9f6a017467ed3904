// The statement against the real server: the question and the output dialog, the PDF file read
// back with poppler, the preview, and that producing a statement writes nothing.
#include "core/GridTable.h"
#include "counter/Statement.h"
#include "counter/StatementPreview.h"
#include "db/Catalogue.h"
#include "db/DbError.h"
#include "printing/PdfOutput.h"
#include "printing/Poppler.h"
#include "support/ScriptedDialogs.h"
#include "support/TestDatabase.h"

#include <QDir>
#include <QFile>
#include <QPageSize>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace qm::counter;
using qm::ReportOutput;
using qm::test::ScriptedDialogs;
using qm::test::TestDatabase;

namespace {

const QString kQuestion =
    QStringLiteral("Czy na pewno wygenerować oświadczenie dla obecnych zakupów?");
// The statement's title: its output dialog's, its document's and the name its save dialog
// suggests, in the working directory with the PDF filter.
const QString kTitle = QStringLiteral("OŚWIADCZENIE");
const QString kPdfFilter = QStringLiteral("PDF Document (*.pdf)|*.pdf;");

// The scripted dialogs, keeping every progress report as well.
class Dialogs : public ScriptedDialogs {
public:
    void progress(const QString&, int done, int total) override {
        progressReports.emplace_back(done, total);
    }
    std::vector<std::pair<int, int>> progressReports;
};

ReportOutput output(ReportOutput::Destination destination, int copies = 1) {
    ReportOutput o;
    o.destination = destination;
    o.copies = copies;
    return o;
}

class StatementOutputTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        db_ = new TestDatabase(QStringLiteral("statement"));
        db_->sql(QStringLiteral("INSERT INTO ARTICLES (ODWO_ID, CODE, NAME, AMOUNT, PRICE) VALUES "
                                "(8101, 'SF-1', 'Sofa Łódź', 1, 1299);\n"
                                "INSERT INTO ARTICLES (ODWO_ID, CODE, NAME, AMOUNT, PRICE) VALUES "
                                "(8101, 'SF-2', 'Fotel Łódź', 3, 499.5);\n"
                                "INSERT INTO ARTICLES (ODWO_ID, CODE, NAME, AMOUNT, PRICE) VALUES "
                                "(8102, 'KM-1', 'Komoda Żuraw', 2, 650);\n"));
    }
    static void TearDownTestSuite() {
        delete db_;
        db_ = nullptr;
    }
    void SetUp() override {
        connection_ = std::make_unique<qm::db::Connection>(db_->settings());
        connection_->open();
        catalogue_ = std::make_unique<qm::db::Catalogue>(*connection_);
    }

    // Everything the program could have changed: the articles and the purchases.
    static QString snapshot() {
        return db_->query(QStringLiteral(
            "SELECT ARTICLE_ID, ODWO_ID, NAME, AMOUNT, PRICE FROM ARTICLES ORDER BY ARTICLE_ID;\n"
            "SELECT ORDER_ID, USER_ID, ARTICLE_ID, LABEL, NAME, PURCHASED_AT, CANCELLED_AT "
            "FROM PURCHASES ORDER BY ORDER_ID;"));
    }
    // The server's date as the statement writes it.
    static QString serverDateLine() {
        const QString out =
            db_->query(QStringLiteral("SELECT CURRENT_DATE AS D FROM RDB$DATABASE;"));
        const QDate date = QDate::fromString(out.simplified().section(QLatin1Char(' '), 1, 1),
                                             QStringLiteral("yyyy-MM-dd"));
        return statementDateLine(db_->settings().placeName, date);
    }
    void purchase(const QString& odwo, const QString& label, const QString& name) {
        auto& p = catalogue_->ibcspWorkersPurchase;
        p.setInteger("I_USER_ID", 901);
        p.setText("I_ODWO_ID", odwo);
        p.setText("I_LABEL", label);
        p.setText("I_NAME", name);
        p.execute();
    }
    void generate(Dialogs& dialogs) {
        GenerateReportForSellButtonClick(dialogs, *catalogue_, basket_, db_->settings(),
                                         QPageSize(QPageSize::A4));
    }

    static TestDatabase* db_;
    std::unique_ptr<qm::db::Connection> connection_;
    std::unique_ptr<qm::db::Catalogue> catalogue_;
    QTemporaryDir dir_;
    StatementEntries basket_ = {{QStringLiteral("Sofa Łódź"), QStringLiteral("12/8101/01")},
                                {QStringLiteral("Fotel Łódź"), QStringLiteral("12/8101/01")},
                                {QStringLiteral("Komoda Żuraw"), QStringLiteral("8102")}};
};

TestDatabase* StatementOutputTest::db_ = nullptr;

TEST_F(StatementOutputTest, PdfFileHoldsTheWholeStatementOnOnePageWithItsFontsEmbedded) {
    const QString path = dir_.filePath(QStringLiteral("oswiadczenie.pdf"));
    Dialogs dialogs;
    dialogs.expectQuestion(kQuestion, true)
        .expectOutput(kTitle, output(ReportOutput::Destination::File))
        .expectSaveFile(QDir::currentPath(), kPdfFilter, kTitle, path);
    // The statement is dated by the server: the day before or after it was generated.
    const QString dateLineBefore = serverDateLine();
    generate(dialogs);
    const QString dateLineAfter = serverDateLine();
    dialogs.verify();
    EXPECT_EQ(dialogs.progressReports, (std::vector<std::pair<int, int>>{{0, 1}, {1, 1}}));

    ASSERT_TRUE(QFile::exists(path));
    EXPECT_EQ(qm::test::pdfPages(path), 1);
    EXPECT_EQ(qm::test::pdfTitle(path).toStdString(), "OŚWIADCZENIE");
    const QString text = qm::test::pdfText(path);
    EXPECT_TRUE(text.contains(dateLineBefore) || text.contains(dateLineAfter))
        << dateLineBefore.toStdString() << "\n"
        << text.toStdString();
    for (const QString& expected :
         {QStringLiteral("Do Pracodawcy:"), QStringLiteral("QXR Sp. z o.o."),
          QStringLiteral("ul. Fabryczna 7"), QStringLiteral("43-385 Jasienica"),
          QStringLiteral("OŚWIADCZENIE"),
          QStringLiteral("W związku z zakupem od Pracodawcy następujących mebli:"),
          QStringLiteral("NAZWA"), QStringLiteral("ETYKIETA"), QStringLiteral("Sofa Łódź"),
          QStringLiteral("Fotel Łódź"), QStringLiteral("12/8101/01"),
          QStringLiteral("Komoda Żuraw"), QStringLiteral("oświadczam, iż:"),
          QStringLiteral("- meble kupuję na potrzeby własne,"),
          QStringLiteral("serwisach lub portalach aukcyjnych."),
          QStringLiteral("(czytelny podpis)")})
        EXPECT_TRUE(text.contains(expected)) << expected.toStdString() << "\n"
                                             << text.toStdString();

    const auto fonts = qm::test::pdfFonts(path);
    QStringList names;
    for (const auto& font : fonts) {
        EXPECT_TRUE(font.embedded) << font.name.toStdString();
        names << font.name;
    }
    names.sort();
    EXPECT_EQ(names.join(QLatin1Char(',')).toStdString(), "LiberationSans,LiberationSans-Bold");
}

TEST_F(StatementOutputTest, PreviewDocumentWritesOnePageInArialAndTimesFaces) {
    qm::GridTable basketView(
        {{QStringLiteral("NAZWA"), 435, false}, {QStringLiteral("ETYKIETA"), 340, false}});
    for (int i = 1; i <= 120; ++i) {
        const int row = basketView.appendRow();
        basketView.setText(row, 0, QStringLiteral("Krzesło Ćma %1").arg(i));
        basketView.setText(row, 1, QStringLiteral("12/9%1/01").arg(i, 3, 10, QLatin1Char('0')));
    }
    const auto doc = statementPreviewDocument(basketView, db_->settings());
    // A long basket is shrunk to fit between the header and the footer of one page.
    ASSERT_EQ(doc->pageCount(), 1);
    EXPECT_LT(doc->scale(), 1);
    const QString path = dir_.filePath(QStringLiteral("podglad.pdf"));
    qm::printing::writePdf(*doc, path);
    EXPECT_EQ(qm::test::pdfPages(path), 1);
    const QString text = qm::test::pdfText(path);
    for (const QString& expected :
         {QStringLiteral("Jasienica, dnia 12 października 2019 r."),
          QStringLiteral("Do Pracodawcy:"), QStringLiteral("ul. Fabryczna 7"),
          QStringLiteral("OŚWIADCZENIE"), QStringLiteral("Krzesło Ćma 1"),
          QStringLiteral("Krzesło Ćma 120"), QStringLiteral("12/9120/01"),
          QStringLiteral("- meble kupuję na potrzeby własne,"),
          QStringLiteral("(czytelny podpis)")})
        EXPECT_TRUE(text.contains(expected)) << expected.toStdString();
    EXPECT_FALSE(text.contains(QRegularExpression(QStringLiteral("\\b1/1\\b"))));
    QStringList names;
    for (const auto& font : qm::test::pdfFonts(path)) {
        EXPECT_TRUE(font.embedded) << font.name.toStdString();
        names << font.name;
    }
    names.removeDuplicates();
    names.sort();
    EXPECT_EQ(names.join(QLatin1Char(',')).toStdString(), "LiberationSans,LiberationSerif");
}

TEST_F(StatementOutputTest, ProducingStatementsWritesNothingBeforeOrAfterACancelledPurchase) {
    purchase(QStringLiteral("8101"), QStringLiteral("12/8101/01"), QStringLiteral("Sofa Łódź"));
    purchase(QStringLiteral("8102"), QStringLiteral("8102"), QStringLiteral("Komoda Żuraw"));
    const StatementEntries basketBefore = basket_;
    qm::GridTable basketView(
        {{QStringLiteral("NAZWA"), 435, false}, {QStringLiteral("ETYKIETA"), 340, false}});
    for (const auto& [name, label] : basket_) {
        const int row = basketView.appendRow();
        basketView.setText(row, 0, name);
        basketView.setText(row, 1, label);
    }

    // Every way of producing a statement, twice over.
    auto produceAll = [&] {
        Dialogs dialogs;
        QStringList listed;
        dialogs.expectQuestion(kQuestion, true)
            .expectOutput(kTitle, output(ReportOutput::Destination::Preview))
            .expectPreview(kTitle,
                           [&](const qm::PrintableDocument& doc) {
                               const auto& drawn =
                                   dynamic_cast<const qm::printing::DrawnDocument&>(doc);
                               for (const auto& t : drawn.texts())
                                   if (t.row >= 19 && t.row <= 21)
                                       listed << t.text;
                           })
            .expectQuestion(kQuestion, true)
            .expectOutput(kTitle, output(ReportOutput::Destination::Printer, 3))
            .expectPrint(kTitle, 3)
            .expectQuestion(kQuestion, true)
            .expectOutput(kTitle, output(ReportOutput::Destination::File))
            .expectSaveFile(QDir::currentPath(), kPdfFilter, kTitle,
                            dir_.filePath(QStringLiteral("s.pdf")))
            .expectPreview(kTitle);
        for (int i = 0; i < 3; ++i)
            generate(dialogs);
        showStatementPreview(dialogs, basketView, db_->settings());
        dialogs.verify();
        EXPECT_EQ(listed.join(QLatin1Char('|')).toStdString(),
                  "Sofa Łódź|12/8101/01|Fotel Łódź|12/8101/01|Komoda Żuraw|8102");
        EXPECT_FALSE(connection_->transactionActive(qm::db::TransactionRole::OnlySave));
        EXPECT_EQ(basket_, basketBefore);
        EXPECT_EQ(basketView.rows(), 3);
    };

    const QString before = snapshot();
    produceAll();
    EXPECT_EQ(snapshot(), before);

    const QString order =
        db_->query(QStringLiteral("SELECT MIN(ORDER_ID) AS O FROM PURCHASES;")).simplified();
    auto& rollback = catalogue_->ibcspRollbackWorkerPurchase;
    rollback.setInteger("I_ORDER_ID", order.section(QLatin1Char(' '), 1, 1).toInt());
    rollback.setInteger("I_ODWO_ID", 8101);
    rollback.setText("I_NAME", QStringLiteral("Sofa Łódź"));
    rollback.execute();
    const QString cancelled = snapshot();
    ASSERT_NE(cancelled, before);

    produceAll();
    EXPECT_EQ(snapshot(), cancelled);
}

TEST_F(StatementOutputTest, RefusingAtAnyDialogProducesNothing) {
    struct Case {
        const char* what;
        bool yes;
        std::optional<ReportOutput> chosen;
        bool asksOutput;
        bool asksFile;
    };
    const QString path = dir_.filePath(QStringLiteral("nie.pdf"));
    const Case cases[] = {
        {"NIE to the question", false, std::nullopt, false, false},
        {"output dialog cancelled", true, std::nullopt, true, false},
        {"save dialog cancelled", true, output(ReportOutput::Destination::File), true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Dialogs dialogs;
        dialogs.expectQuestion(kQuestion, c.yes);
        if (c.asksOutput)
            dialogs.expectOutput(kTitle, c.chosen);
        if (c.asksFile)
            dialogs.expectSaveFile(QDir::currentPath(), kPdfFilter, kTitle, QString());
        generate(dialogs);
        dialogs.verify();
        EXPECT_EQ(dialogs.shown().size(), 1u + c.asksOutput + c.asksFile);
        EXPECT_TRUE(dialogs.progressReports.empty());
    }
    EXPECT_FALSE(QFile::exists(path));
}

TEST_F(StatementOutputTest, FailuresReachTheErrorReportWithTheProgressClosedAndNothingShown) {
    struct Case {
        const char* what;
        QString path;
        bool disconnect;
        const char* error;
    };
    const Case cases[] = {
        {"server date unreadable", dir_.filePath(QStringLiteral("a.pdf")), true,
         "Brak połączenia z bazą danych."},
        {"file cannot be written", dir_.filePath(QStringLiteral("brak/b.pdf")), false,
         "Nie można zapisać pliku"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.disconnect)
            connection_->close();
        Dialogs dialogs;
        dialogs.expectQuestion(kQuestion, true)
            .expectOutput(kTitle, output(ReportOutput::Destination::File))
            .expectSaveFile(QDir::currentPath(), kPdfFilter, kTitle, c.path)
            .expectError(QString::fromUtf8(c.error));
        EXPECT_FALSE(qm::runGuarded(dialogs, [&] { generate(dialogs); }));
        dialogs.verify();
        ASSERT_FALSE(dialogs.progressReports.empty());
        EXPECT_EQ(dialogs.progressReports.back(), std::make_pair(1, 1));
        EXPECT_FALSE(QFile::exists(c.path));
        if (c.disconnect)
            connection_->open();
    }
}

} // namespace
