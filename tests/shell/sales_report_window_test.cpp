// The sales report tab on the real window against the real server: each listing chosen with a
// real click on its radio button, the dates typed into the pickers, the tab left and shown again,
// the listing sorted by a click on a column heading, and the report written from what the view
// shows, every dialog scripted.
#include "TabHarness.h"
#include "WindowHarness.h"
#include "printing/Poppler.h"
#include "printing/ReportRoad.h"

#include <gtest/gtest.h>

#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

using namespace qm;
using qm::test::choose;
using qm::test::clickHeading;
using qm::test::clickTab;
using qm::test::InTemporaryDirectory;
using qm::test::kCsvSaved;
using qm::test::kGenerateReport;
using qm::test::kReportForm;
using qm::test::kReportFormCaptions;
using qm::test::readReportCsv;
using qm::test::Rows;
using qm::test::ScriptedDialogs;
using qm::test::shownCaptions;
using qm::test::shownRows;
using qm::test::TestDatabase;

namespace {

const QStringList kCaptions{"PRACOWNIK_ID", "ETYKIETA",     "ODWO_ID", "DATA ZAKUPU",
                            "ADRES",        "KOD_POCZTOWY", "ULICA",   "ZAKLAD"};
const QStringList kLubon{"Luboń", "62-030", "ul. Lipowa 3", "Zakład Swarzędz"};
const QStringList kKornik{"Kórnik", "62-035", "ul. Zamkowa 1", "Biuro Poznań"};
const QStringList kNowhere{"", "", "", ""};

// A date as the listing shows it, days from today.
QString day(int fromToday) {
    return QDate::currentDate().addDays(fromToday).toString(QStringLiteral("dd.MM.yyyy"));
}

QStringList row(const QString& worker, const QString& label, const QString& key,
                const QString& date, const QStringList& address) {
    return QStringList{worker, label, key, date} + address;
}

// The purchases in the order the server lists them (by order number), each as its listing row.
// Two buyers are in the worker directory; 1203 is not.
Rows allPurchases() {
    return {row("1202", "12/8101/01", "8101", "10.03.2025", kKornik),
            row("1201", "8101", "8101", "05.01.2025", kLubon),
            row("1203", "7/8101", "8101", "01.02.2025", kNowhere),
            row("1201", "3/8101/3", "8101", day(0), kLubon),
            row("1202", "4/8101/4", "8101", day(3), kKornik),
            row("1201", "5/8101/5", "8101", day(30), kLubon),
            row("1201", "6/8101/6", "8101", day(-1), kLubon)};
}

Rows pick(const std::vector<int>& indexes) {
    const Rows all = allPurchases();
    Rows rows;
    for (const int i : indexes)
        rows << all[i];
    return rows;
}

class SalesReportWindowTest : public qm::test::WindowFixture {
protected:
    static void SetUpTestSuite() {
        db_ = new TestDatabase(QStringLiteral("reportwindow"));
        QString sql = QStringLiteral(
            "INSERT INTO WORKERS (REFERENCE_NUMBER, NAME, SURNAME, ADDRESS, POSTCODE, STREET, "
            "INSTITUTION) VALUES (1201, 'Bożena', 'Kędzierska', 'Luboń', '62-030', "
            "'ul. Lipowa 3', 'Zakład Swarzędz');\n"
            "INSERT INTO WORKERS (REFERENCE_NUMBER, NAME, SURNAME, ADDRESS, POSTCODE, STREET, "
            "INSTITUTION) VALUES (1202, 'Jerzy', 'Malinowski', 'Kórnik', '62-035', "
            "'ul. Zamkowa 1', 'Biuro Poznań');\n"
            "INSERT INTO ARTICLES (ODWO_ID, CODE, NAME, AMOUNT, PRICE) VALUES "
            "(8101, 'A1', 'Sofa Lizbona 3F', 50, 1299);\n");
        const auto purchase = [&sql](int worker, const char* label, const QString& at) {
            sql += QStringLiteral("INSERT INTO PURCHASES (USER_ID, ARTICLE_ID, LABEL, NAME, "
                                  "PURCHASED_AT) SELECT %1, ARTICLE_ID, '%2', NAME, %3 FROM "
                                  "ARTICLES WHERE ODWO_ID = 8101;\n")
                       .arg(worker)
                       .arg(QString::fromUtf8(label), at);
        };
        const auto daysFromToday = [](int days) {
            return QStringLiteral("CAST(CURRENT_DATE + %1 AS TIMESTAMP) + 0.5").arg(days);
        };
        purchase(1202, "12/8101/01", QStringLiteral("TIMESTAMP '2025-03-10 10:00:00'"));
        purchase(1201, "8101", QStringLiteral("TIMESTAMP '2025-01-05 09:00:00'"));
        purchase(1203, "7/8101", QStringLiteral("TIMESTAMP '2025-02-01 23:59:59'"));
        purchase(1201, "3/8101/3", daysFromToday(0));
        purchase(1202, "4/8101/4", daysFromToday(3));
        purchase(1201, "5/8101/5", daysFromToday(30));
        purchase(1201, "6/8101/6", daysFromToday(-1));
        // An item given back is listed nowhere.
        purchase(1202, "9/8101/9", daysFromToday(0));
        sql += QStringLiteral("UPDATE PURCHASES SET CANCELLED_AT = CURRENT_TIMESTAMP WHERE "
                              "LABEL = '9/8101/9';\n");
        db_->sql(sql);
    }
    static void TearDownTestSuite() {
        delete db_;
        db_ = nullptr;
    }
    void SetUp() override {
        open(*db_);
        show(true);
        clickTab(*window_, window_->cxReportForSellsTabSheet);
    }

    Rows listed() const { return shownRows(window_->cxAllSellsGrid); }

    // "Wygeneruj raport" answered "TAK", then "CSV": the file of that name in the working
    // directory, read back.
    Rows csvReport(const InTemporaryDirectory& cwd, const QString& reportName) {
        dialogs_.expectQuestion(kGenerateReport, true)
            .expectQuestion(kReportForm, false, kReportFormCaptions)
            .expectInformation(kCsvSaved + QStringLiteral("\r\n") +
                               QDir::toNativeSeparators(cwd.path()));
        QTest::mouseClick(window_->GenerateReportButton, Qt::LeftButton);
        dialogs_.verify();
        return readReportCsv(cwd.filePath(reportName + QStringLiteral(".csv")));
    }

    // Types a date into a picker as the operator does: the day selected (as when the operator
    // tabs into the picker), then the digits of the day, the month and the year, each part
    // moving on to the next once it is full, then Enter.
    void typeDate(QDateEdit* picker, const QDate& date) {
        picker->setFocus(Qt::TabFocusReason);
        picker->setSelectedSection(QDateTimeEdit::DaySection);
        QTest::keyClicks(picker, date.toString(QStringLiteral("ddMMyyyy")));
        QTest::keyClick(picker, Qt::Key_Return);
        ASSERT_EQ(picker->date(), date) << picker->text().toStdString();
    }

    static TestDatabase* db_;
};

TestDatabase* SalesReportWindowTest::db_ = nullptr;

TEST_F(SalesReportWindowTest, AllWorkersListedSortedByTheOperatorAndWrittenAsShown) {
    EXPECT_FALSE(window_->GenerateReportButton->isEnabled()) << "no mode chosen yet";
    choose(window_->AllSellsRadioButton);
    EXPECT_EQ(shownCaptions(window_->cxAllSellsGrid), kCaptions);
    EXPECT_EQ(listed(), allPurchases());
    EXPECT_TRUE(window_->GenerateReportButton->isEnabled());
    EXPECT_FALSE(window_->DateFromTimePicker->isEnabled());
    EXPECT_FALSE(window_->DateToTimePicker->isEnabled());

    // The operator sorts by the worker: the view's order is no longer the server's.
    clickHeading(window_->cxAllSellsGrid, 0);
    const Rows shown = listed();
    QStringList workers = qm::test::column(shown, 0);
    EXPECT_NE(shown, allPurchases());
    QStringList sorted = workers;
    std::sort(sorted.begin(), sorted.end());
    if (window_->cxAllSellsGrid->horizontalHeader()->sortIndicatorOrder() == Qt::DescendingOrder)
        std::reverse(sorted.begin(), sorted.end());
    EXPECT_EQ(workers, sorted);

    InTemporaryDirectory cwd;
    const Rows csv =
        csvReport(cwd, QStringLiteral("QXR_Raport_sprzedazy_dla_wszystkich_pracownikow"));
    ASSERT_FALSE(csv.isEmpty());
    EXPECT_EQ(csv.first(), kCaptions);
    EXPECT_EQ(csv.mid(1), shown) << "the rows in the order the view shows them";

    // The PDF goes where the operator saves it, under the report's name.
    const QString pdf = cwd.filePath(QStringLiteral("sprzedaz.pdf"));
    dialogs_.clearShown();
    dialogs_.expectQuestion(kGenerateReport, true)
        .expectQuestion(kReportForm, true, kReportFormCaptions)
        .expectSaveFile(QDir::currentPath(), qm::printing::kPdfFilter,
                        QStringLiteral("QXR_Raport_sprzedazy_dla_wszystkich_pracownikow"), pdf)
        .expectOpenDocument(pdf, true);
    QTest::mouseClick(window_->GenerateReportButton, Qt::LeftButton);
    dialogs_.verify();
    ASSERT_TRUE(QFile::exists(pdf));
    const auto& seen = dialogs_.shown();
    const auto save = std::find_if(seen.begin(), seen.end(), [](const ScriptedDialogs::Shown& s) {
        return s.kind == ScriptedDialogs::Kind::SaveFile;
    });
    ASSERT_NE(save, seen.end());
    EXPECT_TRUE(
        save->text.endsWith(QStringLiteral("|QXR_Raport_sprzedazy_dla_wszystkich_pracownikow")))
        << save->text.toStdString();
    EXPECT_EQ(qm::test::pdfTitle(pdf),
              QStringLiteral("QXR_Raport_sprzedazy_dla_wszystkich_pracownikow"));
    const int pages = qm::test::pdfPages(pdf);
    ASSERT_GE(pages, 2) << "the listing is wider than the page";
    const QString first = qm::test::pdfText(pdf, 1);
    const QString last = qm::test::pdfText(pdf, pages);
    EXPECT_TRUE(first.contains(QStringLiteral("RAPORT SPRZEDAŻY DLA WSZYSTKICH PRACOWNIKÓW")))
        << first.toStdString();
    EXPECT_TRUE(first.contains(QStringLiteral("1/%1").arg(pages))) << first.toStdString();
    EXPECT_TRUE(last.contains(QStringLiteral("%1/%1").arg(pages))) << last.toStdString();
    // The labels stand on the first page in the order the view shows them.
    qsizetype at = 0;
    for (const QString& label : qm::test::column(shown, 1)) {
        const qsizetype next = first.indexOf(label, at);
        EXPECT_GE(next, at) << label.toStdString() << " out of order in\n" << first.toStdString();
        at = std::max(at, next);
    }
}

TEST_F(SalesReportWindowTest, OneWorkerIsAskedForAndListedWithTheAddress) {
    dialogs_.expectInput(QStringLiteral("Podaj ID pracownika do wyszukania"),
                         QStringLiteral("ID pracownika"), QStringLiteral("1201"));
    choose(window_->WorkerIDRadioButton);
    dialogs_.verify();
    EXPECT_EQ(listed(), pick({1, 3, 5, 6}));
    EXPECT_TRUE(window_->GenerateReportButton->isEnabled());

    InTemporaryDirectory cwd;
    const Rows csv =
        csvReport(cwd, QStringLiteral("QXR_Raport_sprzedazy_dla_wybranego_pracownika"));
    EXPECT_EQ(csv.mid(1), pick({1, 3, 5, 6}));

    // Another mode and back: a worker without purchases empties the listing.
    choose(window_->AllSellsRadioButton);
    EXPECT_EQ(listed().size(), allPurchases().size());
    dialogs_
        .expectInput(QStringLiteral("Podaj ID pracownika do wyszukania"),
                     QStringLiteral("ID pracownika"), QStringLiteral("1299"))
        .expectInformation(
            QStringLiteral("Brak podanego ID pracownika w bazie zakupionych rzeczy"));
    choose(window_->WorkerIDRadioButton);
    dialogs_.verify();
    EXPECT_TRUE(listed().isEmpty());
    EXPECT_FALSE(window_->GenerateReportButton->isEnabled());
}

TEST_F(SalesReportWindowTest, DateRangeFollowsThePickersAndSurvivesLeavingTheTab) {
    // Shown for the first time: both pickers show today, disabled until the mode is chosen.
    EXPECT_EQ(window_->DateFromTimePicker->date(), QDate::currentDate());
    EXPECT_EQ(window_->DateToTimePicker->date(), QDate::currentDate());
    EXPECT_FALSE(window_->DateFromTimePicker->isEnabled());
    EXPECT_FALSE(window_->DateToTimePicker->isEnabled());

    choose(window_->DateRangeRadioButton);
    EXPECT_TRUE(listed().isEmpty()) << "nothing is listed until a date is changed";
    EXPECT_TRUE(window_->DateFromTimePicker->isEnabled());
    EXPECT_TRUE(window_->DateToTimePicker->isEnabled());
    EXPECT_FALSE(window_->GenerateReportButton->isEnabled());

    // Today typed into the end picker, which shows it already: today's sales.
    typeDate(window_->DateToTimePicker, QDate::currentDate());
    EXPECT_EQ(listed(), pick({3}));
    EXPECT_TRUE(window_->GenerateReportButton->isEnabled());

    // Only the end is changed: from today to the picked day.
    typeDate(window_->DateToTimePicker, QDate::currentDate().addDays(5));
    EXPECT_EQ(listed(), pick({3, 4}));
    EXPECT_TRUE(window_->GenerateReportButton->isEnabled());
    typeDate(window_->DateToTimePicker, QDate::currentDate().addDays(40));
    EXPECT_EQ(listed(), pick({3, 4, 5}));

    // Another tab and back: the listing, the dates and the button stay as they were.
    clickTab(*window_, window_->cxImportCSVFileToDBTabSheet);
    clickTab(*window_, window_->cxReportForSellsTabSheet);
    EXPECT_EQ(listed(), pick({3, 4, 5}));
    EXPECT_EQ(window_->DateFromTimePicker->date(), QDate::currentDate());
    EXPECT_EQ(window_->DateToTimePicker->date(), QDate::currentDate().addDays(40));
    EXPECT_TRUE(window_->DateRangeRadioButton->isChecked());
    EXPECT_TRUE(window_->GenerateReportButton->isEnabled());

    // The start moved a day back: the end kept is the one picked before leaving.
    typeDate(window_->DateFromTimePicker, QDate::currentDate().addDays(-1));
    EXPECT_EQ(listed(), pick({3, 4, 5, 6}));

    InTemporaryDirectory cwd;
    const Rows csv =
        csvReport(cwd, QStringLiteral("QXR_Raport_sprzedazy_dla_wybranego_zakresu_dat"));
    EXPECT_EQ(csv.mid(1), pick({3, 4, 5, 6}));

    // An empty range empties the listing and takes the report away.
    typeDate(window_->DateFromTimePicker, QDate::currentDate().addDays(41));
    EXPECT_TRUE(listed().isEmpty());
    EXPECT_FALSE(window_->GenerateReportButton->isEnabled());
}

} // namespace
