// How much the query step costs over the bare Firebird client: one GET_PRODUCT_INFO lookup,
// many times over, through the catalogue's component and through the client API directly. After a
// warm-up the two take turns in rounds (the order turning each round, so neither always goes
// first); both must return the same rows. The ratio is printed for the whole run and as the
// spread of the rounds' ratios.
// Run on demand: build/bench/bench_lookup [iterations] [rounds]
//   iterations: lookups in each round of each side (default 200); rounds: default 20.
#include "db/Catalogue.h"
#include "support/TestDatabase.h"

#include <firebird/Interface.h>

#include <QCoreApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <vector>

using namespace Firebird;
using Clock = std::chrono::steady_clock;

namespace {

double seconds(Clock::time_point from) {
    return std::chrono::duration<double>(Clock::now() - from).count();
}

// The rows of one lookup as both sides see them: the article key and name of each.
using Rows = std::vector<std::pair<int, QString>>;

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "bench_lookup: %s\n", what);
    std::exit(1);
}

// The same lookup through the bare client: one prepared statement, a text parameter, every row
// fetched.
class BareLookup {
public:
    BareLookup(const qm::db::DeploymentSettings& s, const char* key)
        : master_(fb_get_master_interface()), st_(master_->getStatus()) {
        IUtil* util = master_->getUtilInterface();
        dpb_ = util->getXpbBuilder(&st_, IXpbBuilder::DPB, nullptr, 0);
        dpb_->insertString(&st_, isc_dpb_user_name, s.user.toUtf8().constData());
        dpb_->insertString(&st_, isc_dpb_password, s.password.toUtf8().constData());
        dpb_->insertString(&st_, isc_dpb_lc_ctype, "WIN1250");
        prov_ = master_->getDispatcher();
        att_ = prov_->attachDatabase(&st_, s.connectionString().toUtf8().constData(),
                                     dpb_->getBufferLength(&st_), dpb_->getBuffer(&st_));
        tpb_ = util->getXpbBuilder(&st_, IXpbBuilder::TPB, nullptr, 0);
        for (auto tag : {isc_tpb_read, isc_tpb_read_committed, isc_tpb_rec_version, isc_tpb_nowait})
            tpb_->insertTag(&st_, tag);
        tra_ = att_->startTransaction(&st_, tpb_->getBufferLength(&st_), tpb_->getBuffer(&st_));
        stmt_ = att_->prepare(&st_, tra_, 0, "SELECT * FROM GET_PRODUCT_INFO(?)", SQL_DIALECT_V6,
                              IStatement::PREPARE_PREFETCH_METADATA);
        builder_ = master_->getMetadataBuilder(&st_, 1);
        builder_->setType(&st_, 0, SQL_VARYING + 1);
        builder_->setLength(&st_, 0, unsigned(std::strlen(key)));
        builder_->setCharSet(&st_, 0, 51);
        in_ = builder_->getMetadata(&st_);
        inBuf_.resize(in_->getMessageLength(&st_));
        const auto len = static_cast<unsigned short>(std::strlen(key));
        std::memcpy(inBuf_.data() + in_->getOffset(&st_, 0), &len, 2);
        std::memcpy(inBuf_.data() + in_->getOffset(&st_, 0) + 2, key, len);
        out_ = stmt_->getOutputMetadata(&st_);
        outBuf_.resize(out_->getMessageLength(&st_));
        for (unsigned i = 0; i < out_->getCount(&st_); ++i) {
            if (std::strcmp(out_->getField(&st_, i), qm::db::col::kOdwoId) == 0)
                keyField_ = int(i);
            if (std::strcmp(out_->getField(&st_, i), qm::db::col::kName) == 0)
                nameField_ = int(i);
        }
        if (keyField_ < 0 || nameField_ < 0 ||
            (out_->getType(&st_, unsigned(keyField_)) & ~1u) != SQL_LONG ||
            (out_->getType(&st_, unsigned(nameField_)) & ~1u) != SQL_VARYING)
            fail("GET_PRODUCT_INFO does not return the key and the name as expected");
    }
    ~BareLookup() {
        out_->release();
        in_->release();
        builder_->release();
        stmt_->free(&st_);
        tra_->rollback(&st_);
        att_->detach(&st_);
        prov_->release();
        tpb_->dispose();
        dpb_->dispose();
    }
    BareLookup(const BareLookup&) = delete;
    BareLookup& operator=(const BareLookup&) = delete;

    // iterations lookups; the rows seen are counted.
    void run(int iterations, long& rowsSeen) {
        for (int i = 0; i < iterations; ++i) {
            IResultSet* rs = stmt_->openCursor(&st_, tra_, in_, inBuf_.data(), out_, 0);
            while (rs->fetchNext(&st_, outBuf_.data()) == IStatus::RESULT_OK)
                ++rowsSeen;
            rs->close(&st_);
        }
    }
    // One lookup, its rows read out. The benchmark's names are plain ASCII.
    Rows rows() {
        Rows rows;
        IResultSet* rs = stmt_->openCursor(&st_, tra_, in_, inBuf_.data(), out_, 0);
        while (rs->fetchNext(&st_, outBuf_.data()) == IStatus::RESULT_OK) {
            std::int32_t key = 0;
            std::memcpy(&key, outBuf_.data() + out_->getOffset(&st_, unsigned(keyField_)),
                        sizeof key);
            const unsigned char* name =
                outBuf_.data() + out_->getOffset(&st_, unsigned(nameField_));
            unsigned short length = 0;
            std::memcpy(&length, name, 2);
            rows.emplace_back(int(key),
                              QString::fromLatin1(reinterpret_cast<const char*>(name + 2), length));
        }
        rs->close(&st_);
        return rows;
    }

private:
    IMaster* master_;
    ThrowStatusWrapper st_;
    IXpbBuilder* dpb_ = nullptr;
    IXpbBuilder* tpb_ = nullptr;
    IProvider* prov_ = nullptr;
    IAttachment* att_ = nullptr;
    ITransaction* tra_ = nullptr;
    IStatement* stmt_ = nullptr;
    IMetadataBuilder* builder_ = nullptr;
    IMessageMetadata* in_ = nullptr;
    IMessageMetadata* out_ = nullptr;
    std::vector<unsigned char> inBuf_;
    std::vector<unsigned char> outBuf_;
    int keyField_ = -1;
    int nameField_ = -1;
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("bench-lookup"));
    const int iterations = argc > 1 ? std::atoi(argv[1]) : 200;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 20;
    if (iterations <= 0 || rounds <= 0) {
        std::fprintf(stderr, "usage: bench_lookup [iterations] [rounds]\n");
        return 2;
    }
    qm::test::TestDatabase db(QStringLiteral("bench-lookup"), true);
    db.sql(QStringLiteral("INSERT INTO ARTICLES (ODWO_ID, CODE, NAME, AMOUNT, PRICE) VALUES "
                          "(990001, 'B-1', 'Sofa pomiarowa', 5, 1299);\n"
                          "INSERT INTO ARTICLES (ODWO_ID, CODE, NAME, AMOUNT, PRICE) VALUES "
                          "(990001, 'B-2', 'Fotel pomiarowy', 5, 499);"));
    const char* key = "990001";

    qm::db::Connection connection(db.settings());
    connection.open();
    qm::db::Catalogue catalogue(connection);
    qm::db::Procedure& p = catalogue.ibcspGetProductInfo;
    const auto lookup = [&](const std::function<void()>& eachRow) {
        p.setText("I_LABEL", QString::fromLatin1(key));
        p.open();
        p.walkRows(p.readCount(qm::db::col::kCountAmountOfArticles), eachRow);
    };
    long ours = 0;
    const auto oursRun = [&](int n) {
        for (int i = 0; i < n; ++i)
            lookup([&] {
                (void)p.asText(qm::db::col::kName);
                (void)p.asText(qm::db::col::kPrice);
                ++ours;
            });
    };
    BareLookup bare(db.settings(), key);
    long bareRows = 0;

    // Both sides see the same rows.
    Rows oursRows;
    lookup([&] {
        oursRows.emplace_back(p.asInteger(qm::db::col::kOdwoId), p.asText(qm::db::col::kName));
    });
    const Rows bareSeen = bare.rows();
    if (oursRows != bareSeen || oursRows.size() != 2)
        fail("the query step and the bare client return different rows");

    // Warm-up: statements prepared, pages cached, both sides once.
    oursRun(iterations);
    bare.run(iterations, bareRows);
    ours = 0;
    bareRows = 0;

    double oursSeconds = 0;
    double bareSeconds = 0;
    std::vector<double> ratios;
    for (int r = 0; r < rounds; ++r) {
        double t[2] = {0, 0};
        for (int i = 0; i < 2; ++i) { // the order turns each round
            const auto start = Clock::now();
            if ((r + i) % 2 == 0)
                oursRun(iterations);
            else
                bare.run(iterations, bareRows);
            t[(r + i) % 2] = seconds(start);
        }
        oursSeconds += t[0];
        bareSeconds += t[1];
        ratios.push_back(t[0] / t[1]);
    }
    if (ours != bareRows)
        fail("the two sides saw a different number of rows");
    std::sort(ratios.begin(), ratios.end());
    const long n = long(iterations) * rounds;
    std::printf("GET_PRODUCT_INFO x %d in %d rounds of %d: query step %.3f s (%.1f us each), bare "
                "client %.3f s (%.1f us each), %ld rows each, ratio %.2f; round ratios min %.2f, "
                "median %.2f, max %.2f\n",
                int(n), rounds, iterations, oursSeconds, 1e6 * oursSeconds / double(n), bareSeconds,
                1e6 * bareSeconds / double(n), ours, oursSeconds / bareSeconds, ratios.front(),
                ratios[ratios.size() / 2], ratios.back());
    return 0;
}
