#include "reports/SalesListing.h"
#include "core/Dialogs.h"
#include "core/GridTable.h"
#include "db/Catalogue.h"
#include "support/MemorySalesReportControls.h"
#include "support/ScriptedDialogs.h"
#include "support/TestDatabase.h"
#include "workers/WorkerDirectory.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

using namespace qm::test;
using qm::reports::ReportControl;
using qm::reports::ReportKind;
using qm::reports::SalesListing;
using Radio = MemorySalesReportControls::Radio;
using Rows = std::vector<QStringList>;

namespace {

const QString kNoWorkerData = QStringLiteral("Program nie posiada pobranych danych pracowników");
const QString kAllFailed =
    QStringLiteral("Nie udało załadować się koszyków wszystkich pracowników");
const QString kWorkerFailed = QStringLiteral("Nie udało załadować się koszyka pracownika");
const QString kRangeFailed =
    QStringLiteral("Nie udało załadować się koszyków pracowników według określonego zakresu dat");
const QString kPromptCaption = QStringLiteral("Podaj ID pracownika do wyszukania");
const QString kPromptLabel = QStringLiteral("ID pracownika");
const QString kNotANumber =
    QStringLiteral("Podane ID pracownika nie jest liczbą, spróbuj ponownie");
const QString kGiveId = QStringLiteral("Proszę podać ID pracownika");
const QString kNoPurchases =
    QStringLiteral("Brak podanego ID pracownika w bazie zakupionych rzeczy");

// "Now" for every listing of these tests.
const QDateTime kNow(QDate(2024, 3, 15), QTime(14, 0));

// Workers 501 to 503 (502 twice: the later one gives the address; 503 with its address only);
// purchases of 501, 502, 504 (not in the directory) and 505, and one cancelled purchase.
const char* const kFixture = R"(
INSERT INTO WORKERS (REFERENCE_NUMBER, NAME, SURNAME, ADDRESS, POSTCODE, STREET, INSTITUTION)
VALUES (501, 'Jan', 'Kowalski', 'Swarzędz', '62-020', 'ul. Rynek 1', 'Tapicernia');
INSERT INTO WORKERS (REFERENCE_NUMBER, NAME, SURNAME, ADDRESS, POSTCODE, STREET, INSTITUTION)
VALUES (502, 'Ewa', 'Nowak', 'Poznań', '60-001', 'ul. Długa 2', 'Stolarnia');
INSERT INTO WORKERS (REFERENCE_NUMBER, NAME, SURNAME, ADDRESS, POSTCODE, STREET, INSTITUTION)
VALUES (502, 'Adam', 'Mazur', 'Luboń', '62-030', 'ul. Żeromskiego 3', 'Lakiernia');
INSERT INTO WORKERS (REFERENCE_NUMBER, NAME, ADDRESS) VALUES (503, 'Zofia', 'Kórnik');
INSERT INTO ARTICLES (ODWO_ID, CODE, NAME, AMOUNT, PRICE) VALUES (3456, 'K-1', 'Komoda', 9, 10);
INSERT INTO PURCHASES (USER_ID, ARTICLE_ID, LABEL, NAME, PURCHASED_AT)
SELECT 501, ARTICLE_ID, '12/3456/78', NAME, TIMESTAMP '2024-03-10 09:15:00' FROM ARTICLES;
INSERT INTO PURCHASES (USER_ID, ARTICLE_ID, LABEL, NAME, PURCHASED_AT)
SELECT 502, ARTICLE_ID, '12/3456', NAME, TIMESTAMP '2024-03-12 11:00:00' FROM ARTICLES;
INSERT INTO PURCHASES (USER_ID, ARTICLE_ID, LABEL, NAME, PURCHASED_AT)
SELECT 504, ARTICLE_ID, '3456', NAME, TIMESTAMP '2024-03-15 10:00:00' FROM ARTICLES;
INSERT INTO PURCHASES (USER_ID, ARTICLE_ID, LABEL, NAME, PURCHASED_AT)
SELECT 501, ARTICLE_ID, '12//78', NAME, TIMESTAMP '2024-03-15 18:30:00' FROM ARTICLES;
INSERT INTO PURCHASES (USER_ID, ARTICLE_ID, LABEL, NAME, PURCHASED_AT)
SELECT 505, ARTICLE_ID, 'Ł/Żółw 7/ą', NAME, TIMESTAMP '2024-03-20 23:59:59' FROM ARTICLES;
INSERT INTO PURCHASES (USER_ID, ARTICLE_ID, LABEL, NAME, PURCHASED_AT, CANCELLED_AT)
SELECT 501, ARTICLE_ID, '99/3456/1', NAME, TIMESTAMP '2024-03-15 12:00:00',
       TIMESTAMP '2024-03-15 12:05:00' FROM ARTICLES;
)";

// The rows of the fixture's purchases as the listing shows them, oldest order first.
const QStringList kRow501a{"501",      "12/3456/78", "3456",        "10.03.2024",
                           "Swarzędz", "62-020",     "ul. Rynek 1", "Tapicernia"};
const QStringList kRow502{"502",    "12/3456",           "3456",     "12.03.2024", "Luboń",
                          "62-030", "ul. Żeromskiego 3", "Lakiernia"};
const QStringList kRow504{"504", "3456", "3456", "15.03.2024", "", "", "", ""};
const QStringList kRow501b{"501",    "12//78",      "",          "15.03.2024", "Swarzędz",
                           "62-020", "ul. Rynek 1", "Tapicernia"};
const QStringList kRow505{"505", "Ł/Żółw 7/ą", "Żółw 7", "20.03.2024", "", "", "", ""};

// The same rows without the directory's columns.
QStringList withoutAddress(QStringList row) {
    for (int c = 4; c < 8; ++c)
        row[c].clear();
    return row;
}

qm::workers::WorkerDirectory loadedDirectory(TestDatabase& db) {
    qm::db::Connection connection(db.settings());
    qm::db::Catalogue catalogue(connection);
    connection.open();
    qm::workers::WorkerDirectory directory;
    ScriptedDialogs dialogs;
    directory.load(catalogue, dialogs);
    dialogs.verify();
    return directory;
}

TestDatabase& listingDatabase() {
    static TestDatabase& db = []() -> TestDatabase& {
        static TestDatabase made(QStringLiteral("listing"));
        made.sql(QString::fromUtf8(kFixture));
        return made;
    }();
    return db;
}

// The sales report tab on its own connection, as one workstation runs it.
struct ListingStation {
    ListingStation(TestDatabase& db, const qm::workers::WorkerDirectory& directory)
        : connection(db.settings()), catalogue(connection), grid(SalesListing::listingColumns()),
          listing(dialogs, catalogue, directory, controls, grid) {
        connection.open();
        listing.setClock([] { return kNow; });
    }

    // Runs a handler the way the window does: an error goes to the general error report.
    bool run(const std::function<void()>& handler) { return qm::runGuarded(dialogs, handler); }

    bool show() {
        return run([&] { listing.cxReportForSellsTabSheetShow(); });
    }
    bool chooseAll() {
        controls.radio = Radio::AllSells;
        return run([&] { listing.AllSellsRadioButtonClick(); });
    }
    // Chooses the one-worker mode and answers the prompt with typed; then expects the notice
    // (an information box) when one is given, or with error the general error report naming the
    // typed text.
    bool chooseWorker(const QString& typed, const QString& notice = {}, bool error = false) {
        controls.radio = Radio::WorkerID;
        dialogs.expectInput(kPromptCaption, kPromptLabel, typed);
        if (!notice.isEmpty())
            dialogs.expectInformation(notice);
        if (error)
            dialogs.expectError(typed);
        return run([&] { listing.WorkerIDRadioButtonClick(); });
    }
    bool chooseRange() {
        controls.radio = Radio::DateRange;
        return run([&] { listing.DateRangeRadioButtonClick(); });
    }
    bool pickFrom(const QDate& date) {
        controls.dateFrom = date;
        return run([&] { listing.DateFromTimePickerChange(); });
    }
    bool pickTo(const QDate& date) {
        controls.dateTo = date;
        return run([&] { listing.DateToTimePickerChange(); });
    }

    Rows rows() const {
        Rows out;
        for (int r = 0; r < grid.rows(); ++r) {
            QStringList row;
            for (int c = 0; c < int(grid.columns().size()); ++c)
                row << grid.text(r, c);
            out.push_back(row);
        }
        return out;
    }

    qm::db::Connection connection;
    qm::db::Catalogue catalogue;
    ScriptedDialogs dialogs;
    MemorySalesReportControls controls;
    qm::GridTable grid;
    SalesListing listing;
};

class SalesListingTest : public ::testing::Test {
protected:
    void SetUp() override { directory = loadedDirectory(db); }

    TestDatabase& db = listingDatabase();
    qm::workers::WorkerDirectory directory;
};

TEST_F(SalesListingTest, GridHasTheTabsColumns) {
    const std::vector<std::pair<QString, int>> expected{
        {"PRACOWNIK_ID", 85}, {"ETYKIETA", 211},     {"ODWO_ID", 147}, {"DATA ZAKUPU", 204},
        {"ADRES", 179},       {"KOD_POCZTOWY", 100}, {"ULICA", 221},   {"ZAKLAD", 143}};
    std::vector<std::pair<QString, int>> columns;
    for (const qm::GridColumn& c : SalesListing::listingColumns()) {
        columns.emplace_back(c.caption, c.width);
        EXPECT_FALSE(c.numeric) << c.caption.toStdString();
    }
    EXPECT_EQ(columns, expected);
}

TEST_F(SalesListingTest, AllWorkersListsEveryStandingPurchaseWithItsAddress) {
    ListingStation s(db, directory);
    s.show();
    EXPECT_TRUE(s.chooseAll());
    s.dialogs.verify();
    EXPECT_TRUE(s.dialogs.shown().empty());
    EXPECT_EQ(s.rows(), (Rows{kRow501a, kRow502, kRow504, kRow501b, kRow505}));
    EXPECT_TRUE(s.controls.buttonEnabled());
    EXPECT_TRUE(s.controls.pickersDisabled());
    EXPECT_EQ(s.listing.reportKind(), ReportKind::AllWorkersSales);

    // Chosen again, the listing is made afresh, not appended to, and shows what was committed
    // since by another workstation.
    db.sql("INSERT INTO PURCHASES (USER_ID, ARTICLE_ID, LABEL, NAME, PURCHASED_AT) SELECT 503, "
           "ARTICLE_ID, '1/2/3', NAME, TIMESTAMP '2024-03-21 08:00:00' FROM ARTICLES;");
    EXPECT_TRUE(s.chooseAll());
    EXPECT_EQ(s.rows(), (Rows{kRow501a,
                              kRow502,
                              kRow504,
                              kRow501b,
                              kRow505,
                              {"503", "1/2/3", "2", "21.03.2024", "Kórnik", "", "", ""}}));
    db.sql("DELETE FROM PURCHASES WHERE LABEL = '1/2/3';");
}

TEST_F(SalesListingTest, OneWorkerListsThatWorkersPurchases) {
    ListingStation s(db, directory);
    s.show();
    // The ID typed with leading zeros is the same number; every row shows the server's ID text.
    for (const QString typed : {"501", "00501"}) {
        s.chooseAll(); // a listing of another mode in the grid before
        EXPECT_TRUE(s.chooseWorker(typed));
        s.dialogs.verify();
        EXPECT_EQ(s.rows(), (Rows{kRow501a, kRow501b})) << typed.toStdString();
        EXPECT_TRUE(s.controls.buttonEnabled());
        EXPECT_TRUE(s.controls.pickersDisabled());
        EXPECT_EQ(s.listing.reportKind(), ReportKind::WorkerSales);
    }
    s.chooseWorker("502");
    EXPECT_EQ(s.rows(), (Rows{kRow502}));
    EXPECT_TRUE(s.controls.buttonEnabled());
    s.dialogs.verify();
}

TEST_F(SalesListingTest, OneWorkerRefusesWhatIsNoWorkerWithPurchases) {
    struct Case {
        const char* typed;
        QString notice; // empty: the general error report, naming the text
    };
    const Case cases[] = {
        {"", kGiveId}, // the prompt cancelled
        {"12x", kNotANumber},  {"-5", kNotANumber},
        {" 501", kNotANumber}, {"777", kNoPurchases}, // no purchases, or no such worker
        {"503", kNoPurchases}, {"1A", {}},
        {"2.5", {}},           {"...", {}},
        {"99999999999", {}},   {"4294967797", {}}, // 2^32 + 501: must not wrap round to 501
    };
    ListingStation s(db, directory);
    s.show();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        s.chooseAll();
        ASSERT_FALSE(s.rows().empty());
        EXPECT_EQ(s.chooseWorker(c.typed, c.notice, c.notice.isEmpty()), !c.notice.isEmpty());
        s.dialogs.verify();
        EXPECT_TRUE(s.rows().empty());
        EXPECT_FALSE(s.controls.buttonEnabled());
        EXPECT_TRUE(s.controls.pickersDisabled());
    }
}

TEST_F(SalesListingTest, DateRangeListsTheRangeOfBothFields) {
    ListingStation s(db, directory);
    s.show();
    // The pickers show the range the fields hold.
    EXPECT_EQ(s.listing.dateFrom(), kNow);
    EXPECT_EQ(s.listing.dateTo(), kNow);
    EXPECT_EQ(s.controls.dateFrom, kNow.date());
    EXPECT_EQ(s.controls.dateTo, kNow.date());

    s.chooseAll();
    EXPECT_TRUE(s.chooseRange());
    EXPECT_TRUE(s.rows().empty()); // nothing listed until a date changes
    EXPECT_TRUE(s.controls.pickersEnabled());
    EXPECT_FALSE(s.controls.buttonEnabled());
    EXPECT_EQ(s.listing.reportKind(), ReportKind::DateRangeSales);

    struct Step {
        const char* what;
        std::function<bool(ListingStation&)> act;
        Rows expected;
    };
    const Step steps[] = {
        // Only the end changed: from today, a purchase at 23:59:59 of the last day included.
        {"end only",
         [](ListingStation& t) { return t.pickTo(QDate(2024, 3, 20)); },
         {kRow504, kRow501b, kRow505}},
        {"start",
         [](ListingStation& t) { return t.pickFrom(QDate(2024, 3, 12)); },
         {kRow502, kRow504, kRow501b, kRow505}},
        {"one day", [](ListingStation& t) { return t.pickTo(QDate(2024, 3, 12)); }, {kRow502}},
        {"start after end", [](ListingStation& t) { return t.pickFrom(QDate(2024, 3, 13)); }, {}},
        {"whole month",
         [](ListingStation& t) {
             return t.pickFrom(QDate(2024, 3, 1)) && t.pickTo(QDate(2024, 3, 31));
         },
         {kRow501a, kRow502, kRow504, kRow501b, kRow505}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        EXPECT_TRUE(step.act(s));
        s.dialogs.verify();
        EXPECT_EQ(s.rows(), step.expected);
        EXPECT_EQ(s.controls.buttonEnabled(), !step.expected.empty());
        EXPECT_TRUE(s.controls.pickersEnabled());
    }
    EXPECT_TRUE(s.dialogs.shown().empty());
    EXPECT_EQ(s.listing.dateFrom().date(), QDate(2024, 3, 1));
    EXPECT_EQ(s.listing.dateTo().date(), QDate(2024, 3, 31));

    // The tab left and shown again, later: the listing, the range and the button stay.
    s.listing.setClock([] { return kNow.addDays(3); });
    s.show();
    EXPECT_EQ(s.rows(), (Rows{kRow501a, kRow502, kRow504, kRow501b, kRow505}));
    EXPECT_TRUE(s.controls.buttonEnabled());
    EXPECT_TRUE(s.controls.pickersEnabled());
    EXPECT_EQ(s.listing.dateFrom().date(), QDate(2024, 3, 1));
}

TEST_F(SalesListingTest, ShowingTheTabBeforeAnyChoiceRestartsTheRangeAtNow) {
    ListingStation s(db, directory);
    s.show();
    s.controls.dateFrom = s.controls.dateTo = QDate(2019, 11, 21);
    const QDateTime later(QDate(2024, 3, 20), QTime(8, 0));
    s.listing.setClock([later] { return later; });
    s.show();
    EXPECT_EQ(s.listing.dateFrom(), later);
    EXPECT_EQ(s.listing.dateTo(), later);
    EXPECT_EQ(s.controls.dateFrom, later.date());
    EXPECT_EQ(s.controls.dateTo, later.date());

    // Only the start changed afterwards: the end is the day the tab was shown.
    s.chooseRange();
    s.pickFrom(QDate(2024, 3, 15));
    EXPECT_EQ(s.rows(), (Rows{kRow504, kRow501b, kRow505}));
    s.dialogs.verify();
}

TEST_F(SalesListingTest, EmptyDirectoryIsToldOncePerListing) {
    const qm::workers::WorkerDirectory empty;
    ListingStation s(db, empty);
    s.show();

    s.dialogs.expectInformation(kNoWorkerData);
    s.chooseAll();
    s.dialogs.verify();
    EXPECT_EQ(s.rows(), (Rows{withoutAddress(kRow501a), withoutAddress(kRow502), kRow504,
                              withoutAddress(kRow501b), kRow505}));
    EXPECT_TRUE(s.controls.buttonEnabled());

    s.chooseWorker("501", kNoWorkerData);
    s.dialogs.verify();
    EXPECT_EQ(s.rows(), (Rows{withoutAddress(kRow501a), withoutAddress(kRow501b)}));
    EXPECT_TRUE(s.controls.buttonEnabled());

    // No rows, no notice.
    s.chooseRange();
    s.pickTo(QDate(2024, 3, 1));
    s.dialogs.verify();
    EXPECT_EQ(s.dialogs.shown().size(), 3u); // the two notices and the prompt
    EXPECT_TRUE(s.rows().empty());

    s.dialogs.expectInformation(kNoWorkerData);
    s.pickTo(QDate(2024, 3, 20));
    s.dialogs.verify();
    EXPECT_EQ(s.rows(), (Rows{kRow504, withoutAddress(kRow501b), kRow505}));
}

TEST_F(SalesListingTest, EveryChoiceAndDateChangeStartsFromAnEmptyGrid) {
    ListingStation s(db, directory);
    struct Step {
        const char* what;
        std::function<void(ListingStation&)> act;
        bool rows, button, pickers;
        ReportKind kind;
    };
    using K = ReportKind;
    const Step steps[] = {
        {"tab shown", [](ListingStation& t) { t.show(); }, false, false, false, K::None},
        {"all", [](ListingStation& t) { t.chooseAll(); }, true, true, false, K::AllWorkersSales},
        {"range chosen", [](ListingStation& t) { t.chooseRange(); }, false, false, true,
         K::DateRangeSales},
        {"end picked", [](ListingStation& t) { t.pickTo(QDate(2024, 3, 20)); }, true, true, true,
         K::DateRangeSales},
        {"empty range", [](ListingStation& t) { t.pickFrom(QDate(2024, 3, 21)); }, false, false,
         true, K::DateRangeSales},
        {"range again", [](ListingStation& t) { t.pickFrom(QDate(2024, 3, 1)); }, true, true, true,
         K::DateRangeSales},
        {"range chosen again", [](ListingStation& t) { t.chooseRange(); }, false, false, true,
         K::DateRangeSales},
        {"one worker", [](ListingStation& t) { t.chooseWorker("502"); }, true, true, false,
         K::WorkerSales},
        {"tab shown again", [](ListingStation& t) { t.show(); }, true, true, false, K::WorkerSales},
        {"one worker refused", [](ListingStation& t) { t.chooseWorker("", kGiveId); }, false, false,
         false, K::WorkerSales},
        {"all again", [](ListingStation& t) { t.chooseAll(); }, true, true, false,
         K::AllWorkersSales},
        // A date change that does not come from the date range mode keeps that mode's listing.
        {"date changed under all", [](ListingStation& t) { t.pickTo(QDate(2024, 3, 1)); }, true,
         true, false, K::AllWorkersSales},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        step.act(s);
        s.dialogs.verify();
        EXPECT_EQ(!s.rows().empty(), step.rows);
        EXPECT_EQ(s.controls.buttonEnabled(), step.button);
        EXPECT_EQ(s.controls.pickersEnabled(), step.pickers);
        EXPECT_EQ(s.controls.pickersDisabled(), !step.pickers);
        EXPECT_EQ(s.listing.reportKind(), step.kind);
    }
}

// The dialogs of the fault tests, with the progress shown in the same record as the notices.
class RecordingDialogs : public ScriptedDialogs {
public:
    void progress(const QString&, int done, int total) override {
        events << QStringLiteral("progress %1/%2").arg(done).arg(total);
    }
    void information(const QString& text) override {
        events << text;
        ScriptedDialogs::information(text);
    }
    QStringList events;
};

// Listing procedures whose results disagree with their count column, or lack a column; made on
// a database of their own by SYSDBA.
QString faultyProcedures(const QString& countDelta, bool withDate) {
    const QString date = withDate ? QStringLiteral(", DATE_TO_RETURN DATE") : QString();
    const QString into = withDate ? QStringLiteral(", :DATE_TO_RETURN") : QString();
    const QString dateColumn = withDate ? QStringLiteral(", CAST(PURCHASED_AT AS DATE)") : "";
    QString sql = QStringLiteral("SET TERM ^ ;\n");
    const struct {
        const char* head;
        const char* where;
    } procedures[] = {
        {"GET_WORKERS_ORDERS", ""},
        {"GET_WORKER_ORDERS (I_USER_ID INTEGER)", " AND USER_ID = :I_USER_ID"},
        {"GET_ORDERS_BY_DATE_RANGE (I_DATE_FROM DATE, I_DATE_TO DATE)",
         " AND CAST(PURCHASED_AT AS DATE) BETWEEN :I_DATE_FROM AND :I_DATE_TO"},
    };
    for (const auto& p : procedures)
        sql += QStringLiteral(
                   "ALTER PROCEDURE %1 RETURNS (COUNT_WORKER_ORDERS_TO_RETURN INTEGER, "
                   "USER_ID_TO_RETURN INTEGER, LABEL_TO_RETURN VARCHAR(200)%2) AS BEGIN "
                   "FOR SELECT COUNT(*) OVER () %3, USER_ID, LABEL%4 FROM PURCHASES WHERE "
                   "CANCELLED_AT IS NULL%5 ORDER BY ORDER_ID INTO :COUNT_WORKER_ORDERS_TO_RETURN, "
                   ":USER_ID_TO_RETURN, :LABEL_TO_RETURN%6 DO SUSPEND; END^\n")
                   .arg(QString::fromLatin1(p.head), date, countDelta, dateColumn,
                        QString::fromLatin1(p.where), into);
    return sql + QStringLiteral("SET TERM ; ^\n");
}

TEST(SalesListingFaultTest, RowWalkFailureKeepsTheRowsListedAndSaysSo) {
    TestDatabase db(QStringLiteral("listing-faults"));
    db.sql(QString::fromUtf8(kFixture));
    const qm::workers::WorkerDirectory directory = loadedDirectory(db);

    using K = ReportKind;
    struct Case {
        const char* fault;
        K mode;
        QString message;
        Rows rows;
        bool button;
        bool progress; // shown (and closed before the message)
    };
    const QStringList partial501{"501", "12/3456/78", "", "", "", "", "", ""};
    const QStringList partial504{"504", "3456", "", "", "", "", "", ""};
    const Case cases[] = {
        // One row fewer than the count says: every real row listed, and the failure told.
        {"+ 1",
         K::AllWorkersSales,
         kAllFailed,
         {kRow501a, kRow502, kRow504, kRow501b, kRow505},
         true,
         true},
        {"+ 1", K::WorkerSales, kWorkerFailed, {kRow501a, kRow501b}, false, true},
        {"+ 1", K::DateRangeSales, kRangeFailed, {kRow504, kRow501b}, true, true},
        // One row more than the count says: the rows counted listed, and the failure told.
        {"- 1", K::AllWorkersSales, kAllFailed, {kRow501a, kRow502, kRow504, kRow501b}, true, true},
        {"- 1", K::WorkerSales, kWorkerFailed, {kRow501a}, false, false},
        {"- 1", K::DateRangeSales, kRangeFailed, {kRow504}, true, false},
        // No purchase date: the first row keeps what was written before it.
        {"no date", K::AllWorkersSales, kAllFailed, {partial501}, false, false},
        {"no date", K::WorkerSales, kWorkerFailed, {partial501}, false, false},
        {"no date", K::DateRangeSales, kRangeFailed, {partial504}, false, false},
    };
    QString altered;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.fault) + " mode " + std::to_string(int(c.mode)));
        if (altered != c.fault) {
            const bool noDate = QString::fromLatin1(c.fault) == "no date";
            db.sql(faultyProcedures(noDate ? QString() : QString::fromLatin1(c.fault), !noDate));
            altered = c.fault;
        }
        ListingStation s(db, directory);
        RecordingDialogs dialogs;
        SalesListing listing(dialogs, s.catalogue, directory, s.controls, s.grid);
        listing.setClock([] { return kNow; });
        listing.setProgressDelay(std::chrono::milliseconds(0));
        listing.cxReportForSellsTabSheetShow();

        bool ok = true;
        if (c.mode == K::AllWorkersSales) {
            s.controls.radio = Radio::AllSells;
            dialogs.expectInformation(c.message);
            ok = qm::runGuarded(dialogs, [&] { listing.AllSellsRadioButtonClick(); });
        } else if (c.mode == K::WorkerSales) {
            s.controls.radio = Radio::WorkerID;
            dialogs.expectInput(kPromptCaption, kPromptLabel, "501").expectInformation(c.message);
            ok = qm::runGuarded(dialogs, [&] { listing.WorkerIDRadioButtonClick(); });
        } else {
            s.controls.radio = Radio::DateRange;
            listing.DateRangeRadioButtonClick();
            s.controls.dateTo = QDate(2024, 3, 19);
            dialogs.expectInformation(c.message);
            ok = qm::runGuarded(dialogs, [&] { listing.DateToTimePickerChange(); });
        }
        EXPECT_TRUE(ok);
        dialogs.verify();
        EXPECT_EQ(s.rows(), c.rows);
        EXPECT_EQ(s.controls.buttonEnabled(), c.button);
        // Any progress shown was closed before the failure message.
        ASSERT_FALSE(dialogs.events.isEmpty());
        EXPECT_EQ(dialogs.events.last(), c.message);
        const QStringList progress = dialogs.events.filter(QStringLiteral("progress "));
        EXPECT_EQ(progress.size() + 1, dialogs.events.size());
        if (c.progress) {
            ASSERT_GE(progress.size(), 2);
            EXPECT_EQ(progress.first().section('/', 0, 0), "progress 1");
            const QString total = progress.last().section('/', 1);
            EXPECT_EQ(progress.last(), QStringLiteral("progress %1/%1").arg(total));
        } else {
            EXPECT_TRUE(progress.isEmpty());
        }
    }
}

} // namespace
