// How much the query step costs over the bare Firebird client: one GET_PRODUCT_INFO lookup,
// many times over, through the catalogue's component and through the client API directly.
// Run on demand: build/bench/bench_lookup [iterations]
#include "db/Catalogue.h"
#include "support/TestDatabase.h"

#include <firebird/Interface.h>

#include <QCoreApplication>
#include <chrono>
#include <cstdio>
#include <cstring>

using namespace Firebird;
using Clock = std::chrono::steady_clock;

namespace {

double seconds(Clock::time_point from) {
    return std::chrono::duration<double>(Clock::now() - from).count();
}

// The same lookup through the bare client: one prepared statement, a text parameter, every row
// fetched.
double bareLookups(const qm::db::DeploymentSettings& s, const char* key, int iterations,
                   int& rowsSeen) {
    IMaster* master = fb_get_master_interface();
    ThrowStatusWrapper st(master->getStatus());
    IUtil* util = master->getUtilInterface();
    IXpbBuilder* dpb = util->getXpbBuilder(&st, IXpbBuilder::DPB, nullptr, 0);
    dpb->insertString(&st, isc_dpb_user_name, s.user.toUtf8().constData());
    dpb->insertString(&st, isc_dpb_password, s.password.toUtf8().constData());
    dpb->insertString(&st, isc_dpb_lc_ctype, "WIN1250");
    IProvider* prov = master->getDispatcher();
    IAttachment* att = prov->attachDatabase(&st, s.connectionString().toUtf8().constData(),
                                            dpb->getBufferLength(&st), dpb->getBuffer(&st));
    IXpbBuilder* tpb = util->getXpbBuilder(&st, IXpbBuilder::TPB, nullptr, 0);
    for (auto tag : {isc_tpb_read, isc_tpb_read_committed, isc_tpb_rec_version, isc_tpb_nowait})
        tpb->insertTag(&st, tag);
    ITransaction* tra = att->startTransaction(&st, tpb->getBufferLength(&st), tpb->getBuffer(&st));
    IStatement* stmt = att->prepare(&st, tra, 0, "SELECT * FROM GET_PRODUCT_INFO(?)",
                                    SQL_DIALECT_V6, IStatement::PREPARE_PREFETCH_METADATA);
    IMetadataBuilder* b = master->getMetadataBuilder(&st, 1);
    b->setType(&st, 0, SQL_VARYING + 1);
    b->setLength(&st, 0, unsigned(std::strlen(key)));
    b->setCharSet(&st, 0, 51);
    IMessageMetadata* in = b->getMetadata(&st);
    std::vector<unsigned char> inBuf(in->getMessageLength(&st));
    const auto len = static_cast<unsigned short>(std::strlen(key));
    std::memcpy(inBuf.data() + in->getOffset(&st, 0), &len, 2);
    std::memcpy(inBuf.data() + in->getOffset(&st, 0) + 2, key, len);
    IMessageMetadata* out = stmt->getOutputMetadata(&st);
    std::vector<unsigned char> outBuf(out->getMessageLength(&st));

    const auto start = Clock::now();
    for (int i = 0; i < iterations; ++i) {
        IResultSet* rs = stmt->openCursor(&st, tra, in, inBuf.data(), out, 0);
        while (rs->fetchNext(&st, outBuf.data()) == IStatus::RESULT_OK)
            ++rowsSeen;
        rs->close(&st);
    }
    const double t = seconds(start);
    out->release();
    in->release();
    b->release();
    stmt->free(&st);
    tra->rollback(&st);
    att->detach(&st);
    prov->release();
    tpb->dispose();
    dpb->dispose();
    return t;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("bench-lookup"));
    const int iterations = argc > 1 ? std::atoi(argv[1]) : 2000;
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
    int ours = 0;
    auto start = Clock::now();
    for (int i = 0; i < iterations; ++i) {
        p.setText("I_LABEL", QString::fromLatin1(key));
        p.open();
        const int n = p.readCount(qm::db::col::kCountAmountOfArticles);
        p.walkRows(n, [&] {
            (void)p.asText(qm::db::col::kName);
            (void)p.asText(qm::db::col::kPrice);
            ++ours;
        });
    }
    const double oursSeconds = seconds(start);
    int bare = 0;
    const double bareSeconds = bareLookups(db.settings(), key, iterations, bare);
    std::printf("GET_PRODUCT_INFO x %d: query step %.3f s (%.1f us each, %d rows), bare client "
                "%.3f s (%.1f us each, %d rows), ratio %.2f\n",
                iterations, oursSeconds, 1e6 * oursSeconds / iterations, ours, bareSeconds,
                1e6 * bareSeconds / iterations, bare, oursSeconds / bareSeconds);
    return 0;
}
