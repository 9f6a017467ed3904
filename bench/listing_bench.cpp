// How long the all-workers sales listing takes at the size of a large company: 100,000 standing
// purchases listed with a directory of 50,000 workers, from the click to a filled grid, against
// the bare client fetching the same procedure's rows; and the peak memory of the process.
// Run on demand: build/bench/bench_listing [rounds]
#include "BareAttachment.h"
#include "BenchSupport.h"
#include "core/GridTable.h"
#include "db/Catalogue.h"
#include "reports/SalesListing.h"
#include "support/TestDatabase.h"
#include "workers/WorkerDirectory.h"

#include <firebird/Interface.h>

#include <QCoreApplication>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <stdexcept>
#include <string>
#include <sys/resource.h>
#include <vector>

using namespace Firebird;
using qm::bench::Clock;
using qm::bench::require;
using qm::bench::seconds;
using qm::bench::YesDialogs;

namespace {

constexpr int kWorkers = 50'000;
constexpr int kPurchases = 100'000;

// Workers 100000 to 149999. Purchase i is bought by worker 100000 + (7i mod 60000), so one buyer
// in six is not in the directory; its label is "12/<key>/<i>", dated over the last 400 days.
const char* const kArrange = R"(SET TERM ^ ;
EXECUTE BLOCK AS
    DECLARE I INTEGER = 0;
    DECLARE A INTEGER;
BEGIN
    WHILE (I < 50000) DO
    BEGIN
        INSERT INTO WORKERS (REFERENCE_NUMBER, NAME, SURNAME, ADDRESS, POSTCODE, STREET,
                             INSTITUTION)
        VALUES (100000 + :I, 'Imię ' || :I, 'Nazwisko ' || :I, 'Miejscowość ' || :I,
                LPAD(MOD(:I, 100), 2, '0') || '-' || LPAD(MOD(:I, 1000), 3, '0'),
                'ul. Fabryczna ' || :I, 'Zakład ' || MOD(:I, 12));
        I = I + 1;
    END
    INSERT INTO ARTICLES (ODWO_ID, CODE, NAME, AMOUNT, PRICE)
    VALUES (3456, 'B-1', 'Komoda pomiarowa', 1000000, 100) RETURNING ARTICLE_ID INTO :A;
    I = 0;
    WHILE (I < 100000) DO
    BEGIN
        INSERT INTO PURCHASES (USER_ID, ARTICLE_ID, LABEL, NAME, PURCHASED_AT)
        VALUES (100000 + MOD(:I * 7, 60000), :A, '12/' || (1000 + MOD(:I, 9000)) || '/' || :I,
                'Komoda pomiarowa', DATEADD(-MOD(:I, 400) DAY TO TIMESTAMP '2024-03-15 12:00:00'));
        I = I + 1;
    END
END^
SET TERM ; ^)";

// The bare client on its own connection: the same SQL, prepared once, every row fetched into the
// client's message buffer and nothing else.
class BareFetch : public qm::bench::BareAttachment {
public:
    explicit BareFetch(const qm::db::DeploymentSettings& s) : BareAttachment(s) {
        stmt_ = att_->prepare(
            &st_, load_, 0, qm::db::Catalogue::defOf(&qm::db::Catalogue::ibcspGetWorkersOrders).sql,
            SQL_DIALECT_V6, IStatement::PREPARE_PREFETCH_METADATA);
        out_ = stmt_->getOutputMetadata(&st_);
        buffer_.resize(out_->getMessageLength(&st_));
    }
    ~BareFetch() {
        out_->release();
        stmt_->free(&st_);
    }

    int fetchAll() {
        IResultSet* rs = stmt_->openCursor(&st_, load_, nullptr, nullptr, out_, 0);
        int rows = 0;
        while (rs->fetchNext(&st_, buffer_.data()) == IStatus::RESULT_OK)
            ++rows;
        rs->close(&st_);
        return rows;
    }

private:
    IStatement* stmt_ = nullptr;
    IMessageMetadata* out_ = nullptr;
    std::vector<unsigned char> buffer_;
};

// Peak resident memory of the process so far, in MB.
double peakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

// The listing's controls with the all-workers radio button checked.
class AllWorkersControls : public qm::reports::SalesReportControls {
public:
    bool allSellsChecked() const override { return true; }
    bool workerIdChecked() const override { return false; }
    bool dateRangeChecked() const override { return false; }
    QDate pickerDate(qm::reports::DatePicker) const override { return {}; }
    void setPickerDate(qm::reports::DatePicker, const QDate&) override {}
    void setEnabled(qm::reports::ReportControl, bool enabled) override { buttonEnabled = enabled; }
    bool isEnabled(qm::reports::ReportControl) const override { return buttonEnabled; }
    bool buttonEnabled = false;
};

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Each round's ratio of a to b: the two ran back to back, so each pair saw much the same load.
std::vector<double> roundRatios(const std::vector<double>& a, const std::vector<double>& b) {
    std::vector<double> out;
    for (size_t r = 0; r < a.size(); ++r)
        out.push_back(a[r] / b[r]);
    return out;
}

void printRatios(const char* what, const std::vector<double>& ratios) {
    std::printf("%s, round by round: median %.2f, from %.2f to %.2f\n", what, median(ratios),
                *std::min_element(ratios.begin(), ratios.end()),
                *std::max_element(ratios.begin(), ratios.end()));
}

int run(int rounds) {
    qm::test::TestDatabase db(QStringLiteral("bench-listing"), false);
    auto start = Clock::now();
    db.sql(QString::fromUtf8(kArrange));
    std::printf("arranging %d workers and %d purchases (one EXECUTE BLOCK through isql): %.2f s\n",
                kWorkers, kPurchases, seconds(start));

    qm::db::Connection connection(db.settings());
    connection.open();
    qm::db::Catalogue catalogue(connection);
    YesDialogs dialogs;
    qm::workers::WorkerDirectory workers;
    workers.load(catalogue, dialogs);
    require(workers.workerCount() == kWorkers && dialogs.notices == 0, "the directory loads");
    std::printf("peak memory with the directory loaded: %.0f MB\n", peakMegabytes());

    AllWorkersControls controls;
    qm::GridTable grid(qm::reports::SalesListing::listingColumns());
    qm::reports::SalesListing listing(dialogs, catalogue, workers, controls, grid);
    BareFetch bare(db.settings());

    // One of each to warm up, then the two in turns.
    require(bare.fetchAll() == kPurchases, "the bare fetch returns every purchase");
    listing.AllSellsRadioButtonClick();
    require(grid.rows() == kPurchases && controls.buttonEnabled && dialogs.notices == 0,
            "the listing shows every purchase");
    std::vector<double> bareTimes, queryTimes, listingTimes;
    qm::db::Procedure& query = catalogue.ibcspGetWorkersOrders;
    for (int r = 0; r < rounds; ++r) {
        start = Clock::now();
        query.open();
        queryTimes.push_back(seconds(start));
        require(query.fetchedRows() == kPurchases, "the query step returns every purchase");
        query.close();

        start = Clock::now();
        const int rows = bare.fetchAll();
        bareTimes.push_back(seconds(start));
        require(rows == kPurchases, "the bare fetch returns every purchase");

        start = Clock::now();
        listing.AllSellsRadioButtonClick();
        listingTimes.push_back(seconds(start));
        require(grid.rows() == kPurchases && dialogs.notices == 0, "the listing is complete");
    }

    // A row of a worker not in the directory has empty address columns; others carry them.
    int withAddress = 0;
    const int addressColumn = grid.columnIndex(QStringLiteral("ADRES"));
    for (int r = 0; r < grid.rows(); ++r)
        withAddress += grid.text(r, addressColumn).isEmpty() ? 0 : 1;

    const double bareMedian = median(bareTimes), listingMedian = median(listingTimes);
    std::printf("bare client fetch of GET_WORKERS_ORDERS (%d rows) x %d: median %.3f s, best "
                "%.3f s\n",
                kPurchases, rounds, bareMedian,
                *std::min_element(bareTimes.begin(), bareTimes.end()));
    std::printf("the query step alone (every row fetched and kept) x %d: median %.3f s\n", rounds,
                median(queryTimes));
    std::printf("all-workers listing to a filled grid x %d: median %.3f s, best %.3f s "
                "(%d rows with an address)\n",
                rounds, listingMedian, *std::min_element(listingTimes.begin(), listingTimes.end()),
                withAddress);
    std::printf("ratio listing / bare fetch (medians): %.2f\n", listingMedian / bareMedian);
    printRatios("ratio listing / bare fetch", roundRatios(listingTimes, bareTimes));
    printRatios("ratio query step / bare fetch", roundRatios(queryTimes, bareTimes));
    std::printf("peak memory: %.0f MB\n", peakMegabytes());
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("bench-listing"));
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 5;
    if (rounds <= 0) {
        std::fprintf(stderr, "usage: bench_listing [rounds]\n");
        return 2;
    }
    try {
        return run(rounds);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_listing: %s\n", e.what());
    }
    return 1;
}
