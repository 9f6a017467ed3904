// What the selling counter costs over the bare Firebird client, for its two database-bound
// operations: a scan in sell mode (lookup, basket, basket view) and the completion of a basket
// (a lookup and a committed write per entry). The completion is also measured with the write
// statement prepared once and reused, to see what caching it would save.
// Run on demand: build/bench/bench_counter [iterations] [rounds]
//   iterations: scans (default 2000); rounds: completions of the 20-entry basket (default 30).
#include "BareAttachment.h"
#include "BenchSupport.h"
#include "core/Dialogs.h"
#include "core/GridTable.h"
#include "core/LabelKey.h"
#include "counter/SaleCounter.h"
#include "db/Catalogue.h"
#include "support/MemorySaleControls.h"
#include "support/TestDatabase.h"
#include "workers/WorkerDirectory.h"

#include <firebird/Interface.h>

#include <QCoreApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <functional>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <vector>

using namespace Firebird;
using qm::bench::Clock;
using qm::bench::require;
using qm::bench::seconds;
using qm::bench::YesDialogs;
using qm::counter::SaleCounter;

namespace {

constexpr unsigned kWin1250 = 51;
constexpr int kBasketSize = 20;
constexpr int kFirstBasketKey = 990101;
constexpr qint32 kBuyer = 1001; // a demo worker whose ID is held by nobody else

std::string basketName(int k) {
    return "Komoda pomiarowa " + std::to_string(k + 1);
}
std::string basketLabel(int k) {
    return "12/" + std::to_string(kFirstBasketKey + k) + "/78";
}

// One attachment of the bare client, set up as the program sets up its own: a read-only
// read-committed no-wait transaction for lookups that is never committed, and a read-committed
// no-wait write transaction started for each write and committed right after it.
class BareClient : public qm::bench::BareAttachment {
public:
    explicit BareClient(const qm::db::DeploymentSettings& s) : BareAttachment(s) {
        lookup_ = att_->prepare(&st_, load_, 0, "SELECT * FROM GET_PRODUCT_INFO(?)", SQL_DIALECT_V6,
                                IStatement::PREPARE_PREFETCH_METADATA);
        lookupIn_ = textMessage({32});
        lookupInBuf_.resize(lookupIn_->getMessageLength(&st_));
        lookupOut_ = lookup_->getOutputMetadata(&st_);
        lookupOutBuf_.resize(lookupOut_->getMessageLength(&st_));
        const unsigned columns = lookupOut_->getCount(&st_);
        for (unsigned i = 0; i < columns; ++i) {
            const std::string alias = lookupOut_->getAlias(&st_, i);
            if (alias == qm::db::col::kName)
                nameColumn_ = int(i);
            else if (alias == qm::db::col::kAmount)
                amountColumn_ = int(i);
        }
        require(nameColumn_ >= 0 && amountColumn_ >= 0, "GET_PRODUCT_INFO has its columns");
        require((lookupOut_->getType(&st_, unsigned(nameColumn_)) & ~1u) == SQL_VARYING &&
                    (lookupOut_->getType(&st_, unsigned(amountColumn_)) & ~1u) == SQL_LONG,
                "GET_PRODUCT_INFO column types");

        // I_USER_ID as an integer; I_ODWO_ID, I_LABEL, I_NAME as text, as the program sends them.
        IMetadataBuilder* b = master_->getMetadataBuilder(&st_, 4);
        b->setType(&st_, 0, SQL_LONG + 1);
        b->setLength(&st_, 0, sizeof(ISC_LONG));
        b->setScale(&st_, 0, 0);
        const unsigned lengths[] = {32, 200, 100};
        for (unsigned i = 1; i < 4; ++i) {
            b->setType(&st_, i, SQL_VARYING + 1);
            b->setLength(&st_, i, lengths[i - 1]);
            b->setCharSet(&st_, i, kWin1250);
        }
        writeIn_ = b->getMetadata(&st_);
        b->release();
        writeInBuf_.resize(writeIn_->getMessageLength(&st_));
    }

    ~BareClient() {
        if (cachedWrite_)
            cachedWrite_->free(&st_);
        writeIn_->release();
        lookupOut_->release();
        lookupIn_->release();
        lookup_->free(&st_);
    }

    BareClient(const BareClient&) = delete;
    BareClient& operator=(const BareClient&) = delete;

    // The scan's call: every row of the key fetched; returns the number of rows.
    int lookup(const std::string& key) {
        putText(lookupIn_, lookupInBuf_, 0, key);
        IResultSet* rs =
            lookup_->openCursor(&st_, load_, lookupIn_, lookupInBuf_.data(), lookupOut_, 0);
        int rows = 0;
        while (rs->fetchNext(&st_, lookupOutBuf_.data()) == IStatus::RESULT_OK)
            ++rows;
        rs->close(&st_);
        return rows;
    }

    // The completion's lookup: the amount of the row carrying the entry's own name, or -1.
    int amountOf(const std::string& key, const std::string& name) {
        putText(lookupIn_, lookupInBuf_, 0, key);
        IResultSet* rs =
            lookup_->openCursor(&st_, load_, lookupIn_, lookupInBuf_.data(), lookupOut_, 0);
        int amount = -1;
        const unsigned nameAt = lookupOut_->getOffset(&st_, unsigned(nameColumn_));
        const unsigned amountAt = lookupOut_->getOffset(&st_, unsigned(amountColumn_));
        while (rs->fetchNext(&st_, lookupOutBuf_.data()) == IStatus::RESULT_OK) {
            if (amount >= 0)
                continue;
            unsigned short len = 0;
            std::memcpy(&len, lookupOutBuf_.data() + nameAt, sizeof len);
            if (len == name.size() &&
                std::memcmp(lookupOutBuf_.data() + nameAt + 2, name.data(), len) == 0) {
                ISC_LONG a = 0;
                std::memcpy(&a, lookupOutBuf_.data() + amountAt, sizeof a);
                amount = a;
            }
        }
        rs->close(&st_);
        return amount;
    }

    // One recorded entry the way the program's write step does it: its own transaction, the
    // statement prepared, executed once and freed, then the commit.
    void purchasePreparedEachTime(qint32 buyer, const std::string& key, const std::string& label,
                                  const std::string& name) {
        fillPurchase(buyer, key, label, name);
        ITransaction* tra = startWrite();
        IStatement* stmt = att_->prepare(&st_, tra, 0, kPurchaseSql, SQL_DIALECT_V6,
                                         IStatement::PREPARE_PREFETCH_METADATA);
        stmt->execute(&st_, tra, writeIn_, writeInBuf_.data(), nullptr, nullptr);
        stmt->free(&st_);
        tra->commit(&st_);
    }

    // The same entry with the statement prepared on first use and kept: still its own
    // transaction, committed at once.
    void purchaseReused(qint32 buyer, const std::string& key, const std::string& label,
                        const std::string& name) {
        fillPurchase(buyer, key, label, name);
        ITransaction* tra = startWrite();
        if (!cachedWrite_)
            cachedWrite_ = att_->prepare(&st_, tra, 0, kPurchaseSql, SQL_DIALECT_V6,
                                         IStatement::PREPARE_PREFETCH_METADATA);
        cachedWrite_->execute(&st_, tra, writeIn_, writeInBuf_.data(), nullptr, nullptr);
        tra->commit(&st_);
    }

    // The cost that caching the write statement would save: preparing and freeing it, n times
    // over in one write transaction that is rolled back; seconds per prepare.
    double prepareAndFree(int n) {
        ITransaction* tra = startWrite();
        const auto start = Clock::now();
        for (int i = 0; i < n; ++i) {
            IStatement* stmt = att_->prepare(&st_, tra, 0, kPurchaseSql, SQL_DIALECT_V6,
                                             IStatement::PREPARE_PREFETCH_METADATA);
            stmt->free(&st_);
        }
        const double t = seconds(start) / n;
        tra->rollback(&st_);
        return t;
    }

private:
    static constexpr const char* kPurchaseSql = "EXECUTE PROCEDURE WORKERS_PURCHASE(?, ?, ?, ?)";

    IMessageMetadata* textMessage(std::initializer_list<unsigned> lengths) {
        IMetadataBuilder* b = master_->getMetadataBuilder(&st_, unsigned(lengths.size()));
        unsigned i = 0;
        for (unsigned length : lengths) {
            b->setType(&st_, i, SQL_VARYING + 1);
            b->setLength(&st_, i, length);
            b->setCharSet(&st_, i, kWin1250);
            ++i;
        }
        IMessageMetadata* m = b->getMetadata(&st_);
        b->release();
        return m;
    }

    void putText(IMessageMetadata* m, std::vector<unsigned char>& buf, unsigned i,
                 const std::string& text) {
        const auto len = static_cast<unsigned short>(text.size());
        require(len <= m->getLength(&st_, i), "parameter text fits its message");
        const short notNull = 0;
        std::memcpy(buf.data() + m->getNullOffset(&st_, i), &notNull, sizeof notNull);
        unsigned char* at = buf.data() + m->getOffset(&st_, i);
        std::memcpy(at, &len, sizeof len);
        std::memcpy(at + sizeof len, text.data(), len);
    }

    void fillPurchase(qint32 buyer, const std::string& key, const std::string& label,
                      const std::string& name) {
        const short notNull = 0;
        std::memcpy(writeInBuf_.data() + writeIn_->getNullOffset(&st_, 0), &notNull,
                    sizeof notNull);
        const ISC_LONG id = buyer;
        std::memcpy(writeInBuf_.data() + writeIn_->getOffset(&st_, 0), &id, sizeof id);
        putText(writeIn_, writeInBuf_, 1, key);
        putText(writeIn_, writeInBuf_, 2, label);
        putText(writeIn_, writeInBuf_, 3, name);
    }

    IStatement* lookup_ = nullptr;
    IMessageMetadata* lookupIn_ = nullptr;
    IMessageMetadata* lookupOut_ = nullptr;
    std::vector<unsigned char> lookupInBuf_, lookupOutBuf_;
    int nameColumn_ = -1, amountColumn_ = -1;
    IMessageMetadata* writeIn_ = nullptr;
    std::vector<unsigned char> writeInBuf_;
    IStatement* cachedWrite_ = nullptr;
};

// The counter of the sale tab with in-memory controls and views, as the window builds it.
struct Counter {
    Counter(qm::db::Catalogue& catalogue, qm::workers::WorkerDirectory& workers)
        : basketView(SaleCounter::basketViewColumns()), checkView(SaleCounter::checkViewColumns()),
          counter(dialogs, catalogue, workers, controls, basketView, checkView, [] {}) {
        counter.cxSellTabSheetShow();
    }
    void sellMode() {
        controls.chooseSellMode();
        counter.SellRadioButtonClick();
    }
    void scan(const QString& label) {
        controls.productId = label;
        counter.ProductIDEditKeyPress(SaleCounter::kEnter);
    }

    YesDialogs dialogs;
    qm::test::MemorySaleControls controls;
    qm::GridTable basketView;
    qm::GridTable checkView;
    SaleCounter counter;
};

void benchScan(Counter& c, BareClient& bare, int iterations) {
    const QString label = QStringLiteral("12/990001/78");
    const std::string key = qm::labelKey(label).toStdString();
    const auto oursOnce = [&] {
        const auto start = Clock::now();
        c.scan(label);
        const double t = seconds(start);
        require(c.counter.arrayForShoppingProcess().size() == 2 && c.basketView.rows() == 2,
                "a scan puts both articles of the key into the basket");
        c.counter.CancelCurrentSellingButtonClick();
        c.sellMode();
        require(c.counter.arrayForShoppingProcess().empty(), "the basket is empty again");
        return t;
    };
    const auto bareOnce = [&] {
        const auto start = Clock::now();
        const int rows = bare.lookup(key);
        const double t = seconds(start);
        require(rows == 2, "the bare lookup returns both articles");
        return t;
    };

    c.sellMode();
    for (int i = 0; i < 50; ++i) { // warm-up: statements prepared, pages cached
        oursOnce();
        bareOnce();
    }
    double ours = 0, plain = 0;
    for (int i = 0; i < iterations; ++i) {
        if (i % 2 == 0) { // the order turns, so neither always follows the other
            ours += oursOnce();
            plain += bareOnce();
        } else {
            plain += bareOnce();
            ours += oursOnce();
        }
    }
    std::printf("scan in sell mode x %d (2 articles per key): counter %.1f us per scan, bare "
                "client lookup %.1f us, ratio %.2f\n",
                iterations, 1e6 * ours / iterations, 1e6 * plain / iterations, ours / plain);
}

void benchCompletion(Counter& c, BareClient& bare, int rounds, int& recorded) {
    std::vector<QString> labels;
    for (int k = 0; k < kBasketSize; ++k)
        labels.push_back(QString::fromStdString(basketLabel(k)));

    const auto ours = [&] {
        c.sellMode();
        c.controls.workerId = QString::number(kBuyer);
        c.counter.WorkerIDEditKeyPress(SaleCounter::kEnter);
        for (const QString& label : labels)
            c.scan(label);
        require(c.counter.arrayForShoppingProcess().size() == size_t(kBasketSize),
                "the basket holds all entries");
        const long questionsBefore = c.dialogs.questions;
        const auto start = Clock::now();
        c.counter.FinalizeSellButtonClick();
        const double t = seconds(start);
        require(c.dialogs.questions - questionsBefore == 2, "both questions were asked");
        require(c.counter.arrayForShoppingProcess().empty() && c.counter.workerId().isEmpty(),
                "the completion recorded the basket and reset the counter");
        recorded += kBasketSize;
        return t;
    };
    const auto bareWith = [&](auto purchase) {
        const auto start = Clock::now();
        for (int k = 0; k < kBasketSize; ++k) {
            const std::string label = basketLabel(k);
            const std::string key = std::to_string(kFirstBasketKey + k);
            const std::string name = basketName(k);
            require(bare.amountOf(key, name) > 0, "the article is still available");
            (bare.*purchase)(kBuyer, key, label, name);
        }
        recorded += kBasketSize;
        return seconds(start);
    };
    const std::function<double()> variants[] = {
        ours, [&] { return bareWith(&BareClient::purchasePreparedEachTime); },
        [&] { return bareWith(&BareClient::purchaseReused); }};

    for (const auto& v : variants) // warm-up
        v();
    double total[3] = {0, 0, 0};
    for (int r = 0; r < rounds; ++r)
        for (int i = 0; i < 3; ++i) { // the order turns each round, so none always goes first
            const int v = (r + i) % 3;
            total[v] += variants[v]();
        }
    const double n = rounds;
    std::printf("completion of a %d-entry basket x %d: counter %.2f ms (%.0f us per entry), bare "
                "client %.2f ms (%.0f us per entry), ratio %.2f\n",
                kBasketSize, rounds, 1e3 * total[0] / n, 1e6 * total[0] / n / kBasketSize,
                1e3 * total[1] / n, 1e6 * total[1] / n / kBasketSize, total[0] / total[1]);
    std::printf("  bare client, write statement prepared once and reused: %.2f ms (%.0f us per "
                "entry), %.2f of the prepare-each-time bare completion, %.2f of the counter's\n",
                1e3 * total[2] / n, 1e6 * total[2] / n / kBasketSize, total[2] / total[1],
                total[2] / total[0]);
    bare.prepareAndFree(50); // warm-up
    const double prepare = bare.prepareAndFree(1000);
    std::printf("  the write statement's prepare and free alone: %.0f us each, %.2f ms of every "
                "%d-entry completion\n",
                1e6 * prepare, 1e3 * kBasketSize * prepare, kBasketSize);
}

int run(int iterations, int rounds) {
    qm::test::TestDatabase db(QStringLiteral("bench-counter"), true);
    QString articles =
        QStringLiteral("INSERT INTO ARTICLES (ODWO_ID, CODE, NAME, AMOUNT, PRICE) VALUES "
                       "(990001, 'B-1', 'Sofa pomiarowa L', 5, 1299);\n"
                       "INSERT INTO ARTICLES (ODWO_ID, CODE, NAME, AMOUNT, PRICE) VALUES "
                       "(990001, 'B-2', 'Sofa pomiarowa P', 5, 1299);\n");
    for (int k = 0; k < kBasketSize; ++k)
        articles += QStringLiteral("INSERT INTO ARTICLES (ODWO_ID, CODE, NAME, AMOUNT, PRICE) "
                                   "VALUES (%1, 'K-%2', '%3', 1000000, 349);\n")
                        .arg(kFirstBasketKey + k)
                        .arg(k + 1)
                        .arg(QString::fromStdString(basketName(k)));
    db.sql(articles);

    qm::db::Connection connection(db.settings());
    connection.open();
    qm::db::Catalogue catalogue(connection);
    qm::workers::WorkerDirectory workers;
    YesDialogs loadDialogs;
    workers.load(catalogue, loadDialogs);
    require(!workers.isEmpty() && loadDialogs.notices == 0, "the worker directory loads");

    Counter counter(catalogue, workers);
    BareClient bare(db.settings());

    benchScan(counter, bare, iterations);
    int recorded = 0;
    benchCompletion(counter, bare, rounds, recorded);
    require(counter.dialogs.notices == 0, "the counter showed no notice");

    const QString count = db.query(
        QStringLiteral(
            "SELECT COUNT(*) AS N FROM PURCHASES P JOIN ARTICLES A ON A.ARTICLE_ID = P.ARTICLE_ID "
            "WHERE A.ODWO_ID BETWEEN %1 AND %2;")
            .arg(kFirstBasketKey)
            .arg(kFirstBasketKey + kBasketSize - 1));
    const int inDatabase = count.simplified().section(QLatin1Char(' '), -1).toInt();
    std::printf("purchases recorded: %d in the database, %d expected\n", inDatabase, recorded);
    return inDatabase == recorded ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("bench-counter"));
    const int iterations = argc > 1 ? std::atoi(argv[1]) : 2000;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 30;
    if (iterations <= 0 || rounds <= 0) {
        std::fprintf(stderr, "usage: bench_counter [iterations] [rounds]\n");
        return 2;
    }
    try {
        return run(iterations, rounds);
    } catch (const FbException& e) {
        char text[1024];
        fb_get_master_interface()->getUtilInterface()->formatStatus(text, sizeof text,
                                                                    e.getStatus());
        std::fprintf(stderr, "bench_counter: %s\n", text);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_counter: %s\n", e.what());
    }
    return 1;
}
