// How the worker directory behaves at the size of a large company: loading 50,000 workers, and
// the two lookups (the listing lookup of every sales-listing row, the purchase check of every
// completion) over a mix of present, duplicated and missing IDs.
// Run on demand: build/bench/bench_workers [lookups]
#include "BenchSupport.h"
#include "core/Dialogs.h"
#include "db/Catalogue.h"
#include "support/TestDatabase.h"
#include "workers/WorkerDirectory.h"

#include <QCoreApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <stdexcept>
#include <string>
#include <vector>

using qm::bench::Clock;
using qm::bench::require;
using qm::bench::seconds;
using qm::bench::YesDialogs;

namespace {

constexpr int kWorkers = 50'000;
constexpr int kFirstId = 100'000;
constexpr int kBlock = 50; // in every block of 50 workers the last two share one ID

// Worker i holds kFirstId + i, except the last of each block, which repeats its neighbour's ID;
// so kFirstId + i is missing for those i, and held twice for the one before.
const char* const kInsertWorkers = R"(SET TERM ^ ;
EXECUTE BLOCK AS
    DECLARE I INTEGER = 0;
BEGIN
    WHILE (I < 50000) DO
    BEGIN
        INSERT INTO WORKERS (REFERENCE_NUMBER, NAME, SURNAME, ADDRESS, POSTCODE, STREET,
                             INSTITUTION)
        VALUES (100000 + :I - IIF(MOD(:I, 50) = 49, 1, 0), 'Imię ' || :I, 'Nazwisko ' || :I,
                'Miejscowość ' || :I, LPAD(MOD(:I, 100), 2, '0') || '-' ||
                LPAD(MOD(:I, 1000), 3, '0'), 'ul. Fabryczna ' || :I,
                'Zakład ' || MOD(:I, 12));
        I = I + 1;
    END
END^
SET TERM ; ^)";

enum class Kind { Present, Duplicated, Missing };
struct Probe {
    QString id;
    Kind kind;
};

// A fixed mix: 60 % IDs held once, 20 % IDs held twice, 10 % gaps in the numbering and 10 %
// texts that name a present number but never match (leading zero, blank, out of range).
std::vector<Probe> probes(int n) {
    std::vector<Probe> out;
    out.reserve(size_t(n));
    quint32 seed = 12345;
    for (int j = 0; j < n; ++j) {
        seed = seed * 1664525u + 1013904223u;
        const int block = int((seed >> 8) % (kWorkers / kBlock));
        const int base = kFirstId + block * kBlock;
        const int slot = j % 10;
        if (slot < 6)
            out.push_back({QString::number(base + int((seed >> 4) % (kBlock - 2))), Kind::Present});
        else if (slot < 8)
            out.push_back({QString::number(base + kBlock - 2), Kind::Duplicated});
        else if (slot == 8)
            out.push_back({QString::number(base + kBlock - 1), Kind::Missing});
        else {
            const QString present = QString::number(base + int((seed >> 4) % (kBlock - 2)));
            const QString variants[] = {QLatin1Char('0') + present, present + QLatin1Char(' '),
                                        QString::number(kFirstId + kWorkers + block)};
            out.push_back({variants[(seed >> 16) % 3], Kind::Missing});
        }
    }
    return out;
}

int run(int lookups) {
    qm::test::TestDatabase db(QStringLiteral("bench-workers"), false);
    auto start = Clock::now();
    db.sql(QString::fromUtf8(kInsertWorkers));
    std::printf("arranging %d workers (one EXECUTE BLOCK through isql): %.2f s\n", kWorkers,
                seconds(start));

    qm::db::Connection connection(db.settings());
    connection.open();
    qm::db::Catalogue catalogue(connection);
    YesDialogs dialogs;

    // The query step alone (every row fetched) and the whole load, in turns, after one load to
    // warm up; the walk that fills the directory is what the load costs beyond the query step.
    qm::db::Procedure& p = catalogue.ibcspGetWorkersData;
    qm::workers::WorkerDirectory workers;
    workers.load(catalogue, dialogs);
    constexpr int kLoads = 3;
    double bestQuery = 1e9, bestLoad = 1e9, sumLoad = 0;
    for (int i = 0; i < kLoads; ++i) {
        start = Clock::now();
        p.open();
        bestQuery = std::min(bestQuery, seconds(start));
        require(p.fetchedRows() == kWorkers, "the query returns every worker");
        p.close();

        start = Clock::now();
        workers.load(catalogue, dialogs);
        const double t = seconds(start);
        bestLoad = std::min(bestLoad, t);
        sumLoad += t;
    }
    require(workers.workerCount() == kWorkers && dialogs.notices == 0, "the directory loads");
    std::printf("WorkerDirectory::load of %d workers x %d: best %.3f s, mean %.3f s (%.2f us per "
                "worker); the query step alone: best %.3f s\n",
                kWorkers, kLoads, bestLoad, sumLoad / kLoads, 1e6 * bestLoad / kWorkers, bestQuery);

    // The later of two workers under one ID gives the listing its address.
    const auto duplicate =
        workers.listingLookup(dialogs, QString::number(kFirstId + kBlock - 2), false);
    require(duplicate && duplicate->address == QStringLiteral("Miejscowość %1").arg(kBlock - 1),
            "a duplicated ID lists the later worker");

    const std::vector<Probe> mix = probes(lookups);
    int expectListed = 0, expectAccepted = 0;
    for (const Probe& probe : mix) {
        expectListed += probe.kind != Kind::Missing;
        expectAccepted += probe.kind == Kind::Present;
    }

    int listed = 0;
    qsizetype addressChars = 0;
    start = Clock::now();
    for (const Probe& probe : mix) {
        if (const auto a = workers.listingLookup(dialogs, probe.id, false)) {
            ++listed;
            addressChars += a->address.size();
        }
    }
    const double listingSeconds = seconds(start);

    int accepted = 0;
    const long noticesBefore = dialogs.notices;
    start = Clock::now();
    for (const Probe& probe : mix)
        accepted += workers.purchaseCheck(dialogs, probe.id) ? 1 : 0;
    const double checkSeconds = seconds(start);
    const long refusals = dialogs.notices - noticesBefore;

    std::printf("listing lookups x %d: %.3f s (%.3f us each); %d found, %d expected (%lld "
                "address characters)\n",
                lookups, listingSeconds, 1e6 * listingSeconds / lookups, listed, expectListed,
                static_cast<long long>(addressChars));
    std::printf("purchase checks x %d: %.3f s (%.3f us each); %d accepted, %d expected; %ld "
                "refusals shown\n",
                lookups, checkSeconds, 1e6 * checkSeconds / lookups, accepted, expectAccepted,
                refusals);
    const bool ok = listed == expectListed && accepted == expectAccepted &&
                    refusals == long(lookups - accepted);
    return ok ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("bench-workers"));
    const int lookups = argc > 1 ? std::atoi(argv[1]) : 100'000;
    if (lookups <= 0) {
        std::fprintf(stderr, "usage: bench_workers [lookups]\n");
        return 2;
    }
    try {
        return run(lookups);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_workers: %s\n", e.what());
    }
    return 1;
}
