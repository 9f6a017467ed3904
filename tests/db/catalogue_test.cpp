// The database layer against the real server: every procedure of the catalogue through the query
// and write steps, texts in the connection's code page, and how failures come back.
#include "db/Catalogue.h"
#include "db/DbError.h"
#include "db/FbClient.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QProcess>
#include <QThread>
#include <atomic>
#include <cstring>
#include <functional>
#include <map>
#include <optional>
#include <thread>

using namespace qm::db;
using qm::test::TestDatabase;

namespace {

class CatalogueTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        db_ = new TestDatabase(QStringLiteral("catalogue"));
        db_->sql(QStringLiteral(
            "INSERT INTO WORKERS (REFERENCE_NUMBER, NAME, SURNAME, ADDRESS, POSTCODE, STREET, "
            "INSTITUTION) VALUES (501, 'Łucja', 'Żółkiewska', 'Bielsko-Biała', '43-300', "
            "'ul. Źródlana 5', 'Zakład Świętoszów');\n"
            "INSERT INTO WORKERS (REFERENCE_NUMBER, NAME) VALUES (502, NULL);\n"
            "INSERT INTO ARTICLES (ODWO_ID, CODE, NAME, NAME_OF_FABRIC, NAME_OF_FABRIC2, "
            "NAME_OF_CORPUS, AMOUNT, PARENT_OF_ARTICLE_ID, QBM, PRICE) VALUES "
            "(7001, 'SF-1', 'Sofa Łódź', 'Welur ciemnozielony', NULL, 'Buk', 2, 0, 1.25, 1299);\n"
            "INSERT INTO ARTICLES (ODWO_ID, CODE, NAME, AMOUNT, PRICE) VALUES "
            "(7001, 'SF-2', 'Fotel Łódź', 0, 499.5);\n"
            "INSERT INTO ARTICLES (ODWO_ID, CODE, NAME, AMOUNT, PRICE) VALUES "
            "(7002, 'ST-1', 'Stolik kawowy Żółw', 1, 19.99);\n"));
    }
    static void TearDownTestSuite() {
        delete db_;
        db_ = nullptr;
    }
    void SetUp() override {
        connection_ = std::make_unique<Connection>(db_->settings());
        connection_->open();
        catalogue_ = std::make_unique<Catalogue>(*connection_);
    }
    void TearDown() override {
        catalogue_.reset();
        connection_.reset();
    }
    QString amountOf(const QString& where) {
        return db_->query(QStringLiteral("SELECT AMOUNT FROM ARTICLES WHERE %1;").arg(where))
            .simplified();
    }
    int purchases(const QString& where) {
        const QString out =
            db_->query(QStringLiteral("SELECT COUNT(*) AS N FROM PURCHASES WHERE %1;").arg(where))
                .simplified();
        return out.section(QLatin1Char(' '), 1, 1).toInt();
    }
    void purchase(Catalogue& c, int user, const QString& odwo, const QString& label,
                  const QString& name) {
        c.ibcspWorkersPurchase.setInteger("I_USER_ID", user);
        c.ibcspWorkersPurchase.setText("I_ODWO_ID", odwo);
        c.ibcspWorkersPurchase.setText("I_LABEL", label);
        c.ibcspWorkersPurchase.setText("I_NAME", name);
        c.ibcspWorkersPurchase.execute();
    }

    static TestDatabase* db_;
    std::unique_ptr<Connection> connection_;
    std::unique_ptr<Catalogue> catalogue_;
};

TestDatabase* CatalogueTest::db_ = nullptr;

// A write that meets another client's uncommitted change is refused at once; one that waited for
// the other client would not come back before it ends.
constexpr int kAtOnceMs = 5000;

// Polls until the condition holds or the time runs out; false when it ran out.
bool waitUntil(int ms, const std::function<bool()>& condition, int pauseMs = 10) {
    QElapsedTimer waited;
    waited.start();
    while (!condition()) {
        if (waited.elapsed() > ms)
            return false;
        if (pauseMs > 0)
            QThread::msleep(pauseMs);
        else
            std::this_thread::yield();
    }
    return true;
}

TEST_F(CatalogueTest, ProductLookupRendersEveryColumnAsThePolishClientDoes) {
    Procedure& p = catalogue_->ibcspGetProductInfo;
    p.setText("I_LABEL", QStringLiteral("7001"));
    p.open();
    const int count = p.readCount(col::kCountAmountOfArticles);
    ASSERT_EQ(count, 2);
    QStringList seen;
    p.walkRows(count, [&] {
        seen << QStringList{p.asText(col::kOdwoId),       p.asText(col::kCode),
                            p.asText(col::kName),         p.asText(col::kNameOfFabric),
                            p.asText(col::kNameOfCorpus), p.asText(col::kAmount),
                            p.asText(col::kQbm),          p.asText(col::kPrice)}
                    .join(QLatin1Char('|'));
    });
    EXPECT_EQ(seen,
              (QStringList{
                  QStringLiteral("7001|SF-1|Sofa Łódź|Welur ciemnozielony|Buk|2|1,25|1299,00"),
                  QStringLiteral("7001|SF-2|Fotel Łódź|||0||499,50"),
              }));
}

// A column is found by the text of its name, also when a caller asks for another column with
// the same buffer.
TEST_F(CatalogueTest, ColumnIsFoundByTheTextOfItsName) {
    Procedure& p = catalogue_->ibcspGetProductInfo;
    p.setText("I_LABEL", QStringLiteral("7001"));
    p.open();
    char name[32];
    const struct {
        const char* column;
        const char* first;
        const char* second;
    } cases[] = {{"CODE_TO_RETURN", "SF-1", "SF-2"},
                 {"NAME_TO_RETURN", "Sofa Łódź", "Fotel Łódź"},
                 {"CODE_TO_RETURN", "SF-1", "SF-2"}};
    for (const auto& c : cases) {
        std::strcpy(name, c.column);
        p.readCount(col::kCountAmountOfArticles); // back on the first row
        EXPECT_EQ(p.asText(name), QString::fromUtf8(c.first)) << c.column;
        ASSERT_TRUE(p.next());
        EXPECT_EQ(p.asText(name), QString::fromUtf8(c.second)) << c.column;
    }
    std::strcpy(name, "NAME_TO_RETURNS");
    EXPECT_THROW(p.asText(name), DbError);
}

TEST_F(CatalogueTest, UnknownKeyGivesCountZeroAndNoRowIsRead) {
    Procedure& p = catalogue_->ibcspGetProductInfo;
    p.setText("I_LABEL", QStringLiteral("999999"));
    p.open();
    EXPECT_EQ(p.readCount(col::kCountAmountOfArticles), 0);
    int visited = 0;
    p.walkRows(0, [&] { ++visited; });
    EXPECT_EQ(visited, 0);
    EXPECT_EQ(p.asInteger(col::kOdwoId), 0) << "no row reads as no article";
}

TEST_F(CatalogueTest, WalkNeverReadsPastTheRealLastRow) {
    Procedure& p = catalogue_->ibcspGetProductInfo;
    p.setText("I_LABEL", QStringLiteral("7001"));
    p.open();
    int visited = 0;
    p.walkRows(5, [&] { ++visited; }); // a count larger than the rows returned
    EXPECT_EQ(visited, 2);
}

TEST_F(CatalogueTest, TextPassedToAnIntegerParameterIsConvertedByTheServer) {
    Procedure& p = catalogue_->ibcspGetProductInfo;
    p.setText("I_LABEL", QStringLiteral("0007002")); // the server's conversion, not ours
    p.open();
    ASSERT_EQ(p.readCount(col::kCountAmountOfArticles), 1);
    EXPECT_EQ(p.asText(col::kName), QStringLiteral("Stolik kawowy Żółw"));

    p.setText("I_LABEL", QStringLiteral("12a"));
    try {
        p.open();
        FAIL() << "a non-number key must fail";
    } catch (const DbError& e) {
        EXPECT_TRUE(e.isConversionError()) << e.what();
        EXPECT_EQ(e.code(), isc_convert_error) << e.what();
        EXPECT_EQ(e.sqlState(), QStringLiteral("22018")) << e.what();
        EXPECT_FALSE(e.isLockConflict() || e.isConnectionLost()) << e.what();
    }
}

TEST_F(CatalogueTest, QueryRunTwiceGivesFreshRows) {
    Procedure& p = catalogue_->ibcspGetWorkersData;
    p.open();
    const int before = p.readCount(col::kCountWorkersData);
    db_->sql(QStringLiteral("INSERT INTO WORKERS (REFERENCE_NUMBER) VALUES (503);"));
    p.open();
    const int after = p.readCount(col::kCountWorkersData);
    EXPECT_EQ(after, before + 1);
    EXPECT_EQ(p.fetchedRows(), after);
    QStringList ids;
    p.walkRows(after, [&] { ids << QString::number(p.asInteger(col::kReferenceNumber)); });
    EXPECT_EQ(ids.last(), QStringLiteral("503"));
    db_->sql(QStringLiteral("DELETE FROM WORKERS WHERE REFERENCE_NUMBER = 503;"));
}

TEST_F(CatalogueTest, WorkerRowsCarryPolishLettersAndNullsAsEmptyText) {
    Procedure& p = catalogue_->ibcspGetWorkersData;
    p.open();
    ASSERT_GE(p.readCount(col::kCountWorkersData), 2);
    EXPECT_EQ(p.asInteger(col::kReferenceNumber), 501);
    EXPECT_EQ(p.asText(col::kName), QStringLiteral("Łucja"));
    EXPECT_EQ(p.asText(col::kSurname), QStringLiteral("Żółkiewska"));
    EXPECT_EQ(p.asText(col::kStreet), QStringLiteral("ul. Źródlana 5"));
    EXPECT_EQ(p.asText(col::kInstitution), QStringLiteral("Zakład Świętoszów"));
    ASSERT_TRUE(p.next());
    EXPECT_EQ(p.asText(col::kName), QString());
    EXPECT_TRUE(p.isNull(col::kName));
}

TEST_F(CatalogueTest, PurchaseIsListedByEveryOrderProcedureAndCanBeReleased) {
    // The listings read every purchase of the database: this one is to be the only one.
    db_->sql(QStringLiteral("DELETE FROM PURCHASES;"));
    const QString label = QStringLiteral("12/7002/ąę");
    const QDate dayBefore = QDate::currentDate();
    purchase(*catalogue_, 501, QStringLiteral("7002"), label, QStringLiteral("Stolik kawowy Żółw"));
    const QDate dayAfter = QDate::currentDate();
    EXPECT_EQ(amountOf(QStringLiteral("ODWO_ID = 7002")), QStringLiteral("AMOUNT 0"));

    // The day of the purchase is the server's, read back with the order: the day the test ran,
    // whichever side of midnight the purchase fell on.
    Procedure& ids = catalogue_->ibcspGetWorkersOrdersID;
    ids.open();
    ASSERT_EQ(ids.readCount(col::kCountWorkerOrders), 1);
    const QString orderId = ids.asText(col::kOrderId);
    const QDateTime when =
        QDateTime::fromString(ids.asText(col::kDate), QStringLiteral("dd.MM.yyyy HH:mm:ss"));
    EXPECT_TRUE(when.isValid()) << ids.asText(col::kDate).toStdString();
    const QDate day = ids.asDateTime(col::kDate).date();
    EXPECT_EQ(when.date(), day);
    EXPECT_TRUE(day == dayBefore || day == dayAfter) << day.toString().toStdString();

    Procedure& all = catalogue_->ibcspGetWorkersOrders;
    all.open();
    ASSERT_EQ(all.readCount(col::kCountWorkerOrders), 1);
    EXPECT_EQ(all.asText(col::kUserId), QStringLiteral("501"));
    EXPECT_EQ(all.asText(col::kLabel), label);
    EXPECT_EQ(all.asText(col::kDate), day.toString(QStringLiteral("dd.MM.yyyy")));

    Procedure& one = catalogue_->ibcspGetWorkerOrders;
    one.setInteger("I_USER_ID", 501);
    one.open();
    EXPECT_EQ(one.readCount(col::kCountWorkerOrders), 1);
    one.setInteger("I_USER_ID", 502);
    one.open();
    EXPECT_EQ(one.readCount(col::kCountWorkerOrders), 0);

    Procedure& range = catalogue_->ibcspGetOrdersByDateRange;
    const struct {
        QDate from, to;
        int listed;
    } ranges[] = {
        {day, day, 1}, {day.addDays(-9), day.addDays(-1), 0}, {day.addDays(1), day.addDays(9), 0}};
    for (const auto& r : ranges) {
        SCOPED_TRACE(r.from.toString(Qt::ISODate).toStdString());
        range.setDate("I_DATE_FROM", r.from);
        range.setDate("I_DATE_TO", r.to);
        range.open();
        EXPECT_EQ(range.readCount(col::kCountWorkerOrders), r.listed);
    }

    Procedure& release = catalogue_->ibcspRollbackWorkerPurchase;
    release.setInteger("I_ORDER_ID", orderId.toInt());
    release.setInteger("I_ODWO_ID", 7002);
    release.setText("I_NAME", QStringLiteral("Stolik kawowy Żółw"));
    release.execute();
    EXPECT_EQ(amountOf(QStringLiteral("ODWO_ID = 7002")), QStringLiteral("AMOUNT 1"));
    ids.open();
    EXPECT_EQ(ids.readCount(col::kCountWorkerOrders), 0);
}

TEST_F(CatalogueTest, ImportCheckPriceAndServerDate) {
    Procedure& check = catalogue_->ibcspCheckDataBeforeImport;
    const auto setCheck = [&](const QString& name) {
        check.setInteger("I_ODWO_ID", 7100);
        check.setText("I_CODE", QStringLiteral("KM-ś"));
        check.setText("I_NAME", name);
        check.setText("I_NAME_OF_FABRIC", QStringLiteral("Sztruks źółty"));
        check.setText("I_NAME_OF_FABRIC2", QString());
        check.setText("I_NAME_OF_CORPUS", QStringLiteral("Dąb"));
        check.setInteger("I_AMOUNT", 3);
        check.setInteger("I_PARENT_OF_ARTICLE_ID", 0);
    };
    setCheck(QStringLiteral("Komoda Ćma"));
    check.open();
    EXPECT_EQ(check.asInteger(col::kCountArticle), 0);

    Procedure& import = catalogue_->ibcspImportCSV;
    import.setInteger("I_ODWO_ID", 7100);
    import.setText("I_CODE", QStringLiteral("KM-ś"));
    import.setText("I_NAME", QStringLiteral("Komoda Ćma"));
    import.setText("I_NAME_OF_FABRIC", QStringLiteral("Sztruks źółty"));
    import.setText("I_NAME_OF_FABRIC2", QStringLiteral("Len"));
    import.setText("I_NAME_OF_CORPUS", QStringLiteral("Dąb"));
    import.setInteger("I_AMOUNT", 3);
    import.setInteger("I_PARENT_OF_ARTICLE_ID", 7001);
    import.setText("I_QBM", QStringLiteral("2"));
    import.setText("I_PRICE", QStringLiteral("850.50"));
    import.execute();
    check.open();
    EXPECT_EQ(check.asInteger(col::kCountArticle), 1);
    // The server holds the letters themselves, not some re-encoding of them.
    EXPECT_TRUE(db_->query(QStringLiteral("SELECT NAME, CODE, NAME_OF_FABRIC FROM ARTICLES "
                                          "WHERE ODWO_ID = 7100;"))
                    .contains(QStringLiteral("Komoda Ćma")));

    Procedure& price = catalogue_->ibcspModifyArticlePrice;
    price.setText("I_ODWO_ID", QStringLiteral("7100"));
    price.setText("I_CODE", QStringLiteral("KM-ś"));
    price.setText("I_NAME", QStringLiteral("Komoda Ćma"));
    price.setText("I_PRICE", QStringLiteral("912.35"));
    price.execute();

    Procedure& list = catalogue_->ibcspGetAllProductsInfo;
    list.open();
    const int n = list.readCount(col::kCountAmountOfArticles);
    QString row;
    list.walkRows(n, [&] {
        if (list.asText(col::kOdwoId) == QLatin1String("7100"))
            row = QStringList{list.asText(col::kCode),
                              list.asText(col::kName),
                              list.asText(col::kNameOfFabric),
                              list.asText(col::kNameOfFabric2),
                              list.asText(col::kNameOfCorpus),
                              list.asText(col::kAmount),
                              list.asText(col::kParentOfArticle),
                              list.asText(col::kQbm),
                              list.asText(col::kPrice)}
                      .join(QLatin1Char('|'));
    });
    EXPECT_EQ(row, QStringLiteral("KM-ś|Komoda Ćma|Sztruks źółty|Len|Dąb|3|7001|2,00|912,35"));

    // The server runs on this machine: its date is the one the test read just before or after.
    Procedure& date = catalogue_->ibcspCurrentServerDate;
    const QDate dayBefore = QDate::currentDate();
    date.open();
    const QDate dayAfter = QDate::currentDate();
    const QDate serverDay = date.asDateTime(col::kCurrentDate).date();
    EXPECT_TRUE(serverDay == dayBefore || serverDay == dayAfter)
        << serverDay.toString(Qt::ISODate).toStdString();
}

TEST_F(CatalogueTest, TextOutsideTheCodePageIsRefusedBeforeAnythingIsSent) {
    for (const QString& name :
         {QStringLiteral("Sofa 雪"), QStringLiteral("Sofa 😀"), QStringLiteral("Sofa ☃")}) {
        try {
            purchase(*catalogue_, 501, QStringLiteral("7001"), QStringLiteral("7001"), name);
            FAIL() << "sent: " << name.toStdString();
        } catch (const DbError& e) {
            EXPECT_TRUE(e.text().contains(QStringLiteral("nie istnieje w stronie kodowej WIN1250")))
                << e.what();
            EXPECT_EQ(e.code(), 0) << "not the server's error";
        }
        EXPECT_FALSE(connection_->transactionActive(TransactionRole::OnlySave));
    }
    EXPECT_EQ(purchases(QStringLiteral("ARTICLE_ID IN (SELECT ARTICLE_ID FROM ARTICLES WHERE "
                                       "ODWO_ID = 7001)")),
              0);
    Procedure& p = catalogue_->ibcspGetProductInfo;
    p.setText("I_LABEL", QStringLiteral("70€1")); // the euro sign exists in the code page
    EXPECT_THROW(p.open(), DbError);              // and reaches the server's conversion
}

TEST_F(CatalogueTest, RejectedWriteRaisesTheServersTextAndEarlierCommitsStay) {
    purchase(*catalogue_, 501, QStringLiteral("7001"), QStringLiteral("1/7001/1"),
             QStringLiteral("Sofa Łódź"));
    try {
        purchase(*catalogue_, 501, QStringLiteral("7001"), QStringLiteral("1/7001/1"),
                 QStringLiteral("Fotel Łódź")); // sold out
        FAIL() << "a sold-out article was sold";
    } catch (const DbError& e) {
        EXPECT_TRUE(e.text().contains(QStringLiteral("został już wyprzedany"))) << e.what();
        EXPECT_EQ(e.code(), isc_except) << e.what();
        EXPECT_FALSE(e.isLockConflict() || e.isConnectionLost() || e.isConversionError());
    }
    EXPECT_EQ(purchases(QStringLiteral("LABEL = '1/7001/1'")), 1);
    // The connection goes on working after a rejected write.
    purchase(*catalogue_, 502, QStringLiteral("7001"), QStringLiteral("1/7001/2"),
             QStringLiteral("Sofa Łódź"));
    EXPECT_EQ(amountOf(QStringLiteral("ODWO_ID = 7001 AND CODE = 'SF-1'")),
              QStringLiteral("AMOUNT 0"));
    db_->sql(QStringLiteral("DELETE FROM PURCHASES WHERE LABEL STARTING WITH '1/7001/';\n"
                            "UPDATE ARTICLES SET AMOUNT = 2 WHERE CODE = 'SF-1';"));
}

TEST_F(CatalogueTest, AnotherClientsUncommittedChangeMakesTheWriteFailAtOnce) {
    std::optional<qm::test::UncommittedChange> held;
    held.emplace(*db_, QStringLiteral("UPDATE ARTICLES SET AMOUNT = AMOUNT WHERE CODE = 'SF-1'"));
    // The write runs beside the test, so that a write waiting for the other client (which holds
    // its change until the test ends it) fails the test instead of hanging it.
    std::atomic<bool> done{false};
    std::optional<DbError> refusal;
    QElapsedTimer took;
    took.start();
    std::thread writer([&] {
        try {
            purchase(*catalogue_, 501, QStringLiteral("7001"), QStringLiteral("7001"),
                     QStringLiteral("Sofa Łódź"));
        } catch (const DbError& e) {
            refusal = e;
        }
        done = true;
    });
    const bool atOnce = waitUntil(kAtOnceMs, [&] { return done.load(); });
    held.reset(); // a waiting write goes on now
    writer.join();
    EXPECT_TRUE(atOnce) << "the write waited " << took.elapsed() << " ms for the other client";
    ASSERT_TRUE(refusal.has_value()) << "the write went through a locked row";
    EXPECT_TRUE(refusal->isLockConflict()) << refusal->what();
    EXPECT_TRUE(refusal->hasCode(isc_update_conflict)) << refusal->what();
    EXPECT_EQ(refusal->sqlState(), QStringLiteral("40001")) << refusal->what();
    EXPECT_FALSE(refusal->isConnectionLost() || refusal->isConversionError()) << refusal->what();
    EXPECT_FALSE(connection_->transactionActive(TransactionRole::OnlySave));
    EXPECT_EQ(purchases(QStringLiteral("LABEL = '7001'")), 0);
}

// Two connections race for the last piece of an article, each in its own thread, started
// together. Whether their writes overlap on the server or run one after the other is left to
// chance: either way exactly one of them may sell it. The overlap itself, and that the loser is
// refused at once, is forced in AnotherClientsUncommittedChangeMakesTheWriteFailAtOnce and in the
// counter's concurrent sale.
TEST_F(CatalogueTest, LastItemBoughtFromTwoRacingConnectionsIsSoldOnce) {
    db_->sql(QStringLiteral("INSERT INTO ARTICLES (ODWO_ID, CODE, NAME, AMOUNT, PRICE) VALUES "
                            "(7300, 'L-1', 'Regał ostatni', 1, 100);"));
    for (int round = 0; round < 5; ++round) {
        std::atomic<int> ready{0};
        std::atomic<int> sold{0};
        QStringList errors[2];
        const auto counter = [&](int n) {
            try {
                Connection c(db_->settings());
                c.open();
                Catalogue cat(c);
                ++ready;
                if (!waitUntil(
                        10000, [&] { return ready.load() == 2; }, 0)) {
                    errors[n] << QStringLiteral("the other connection did not come");
                    return;
                }
                purchase(cat, 600 + n, QStringLiteral("7300"),
                         QStringLiteral("r%1/7300").arg(round), QStringLiteral("Regał ostatni"));
                ++sold;
            } catch (const DbError& e) {
                errors[n] << e.text();
            }
        };
        std::thread a(counter, 0), b(counter, 1);
        a.join();
        b.join();
        EXPECT_EQ(sold.load(), 1) << errors[0].join(' ').toStdString()
                                  << errors[1].join(' ').toStdString();
        EXPECT_EQ(amountOf(QStringLiteral("ODWO_ID = 7300")), QStringLiteral("AMOUNT 0"));
        EXPECT_EQ(purchases(QStringLiteral("LABEL = 'r%1/7300'").arg(round)), 1);
        db_->sql(QStringLiteral("UPDATE ARTICLES SET AMOUNT = 1 WHERE ODWO_ID = 7300;"));
    }
    db_->sql(QStringLiteral("DELETE FROM PURCHASES WHERE LABEL LIKE 'r_/7300';\n"
                            "DELETE FROM ARTICLES WHERE ODWO_ID = 7300;"));
}

TEST_F(CatalogueTest, QuelmoraReachesNoTableDirectly) {
    for (const char* table : {"WORKERS", "ARTICLES", "PURCHASES"}) {
        QProcess isql;
        isql.setProcessChannelMode(QProcess::MergedChannels);
        isql.start(QStringLiteral("isql-fb"),
                   {QStringLiteral("-q"), QStringLiteral("-user"), QStringLiteral("QUELMORA"),
                    QStringLiteral("-password"), db_->settings().password,
                    QStringLiteral("localhost/3050:") + db_->path()});
        isql.write(QByteArray("SELECT COUNT(*) FROM ") + table + ";\n");
        isql.closeWriteChannel();
        ASSERT_TRUE(isql.waitForFinished(30000));
        const QString out = QString::fromUtf8(isql.readAll());
        EXPECT_TRUE(out.contains(QStringLiteral("no permission")))
            << table << ": " << out.toStdString();
    }
}

// The catalogue's parameter lists against the procedures the schema really creates: same names in
// the same order, and each declared type the server's own (a text declared longer than the
// server takes would be cut or refused there).
TEST_F(CatalogueTest, DeclaredParametersAreTheServersOwn) {
    const QString listing = db_->query(
        QStringLiteral("SELECT TRIM(PP.RDB$PROCEDURE_NAME) AS P, TRIM(PP.RDB$PARAMETER_NAME) AS N, "
                       "F.RDB$FIELD_TYPE AS T, F.RDB$CHARACTER_LENGTH AS L, F.RDB$FIELD_SCALE AS S "
                       "FROM RDB$PROCEDURE_PARAMETERS PP JOIN RDB$FIELDS F "
                       "ON F.RDB$FIELD_NAME = PP.RDB$FIELD_SOURCE WHERE PP.RDB$PARAMETER_TYPE = 0 "
                       "ORDER BY PP.RDB$PROCEDURE_NAME, PP.RDB$PARAMETER_NUMBER;"));
    struct ServerParam {
        QString name;
        int type, length, scale;
    };
    std::map<QString, std::vector<ServerParam>> server;
    QString procedure;
    for (const QString& line : listing.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QString key = line.section(QLatin1Char(' '), 0, 0);
        const QString value = line.section(QLatin1Char(' '), 1).trimmed();
        if (key == QLatin1String("P"))
            procedure = value;
        else if (key == QLatin1String("N"))
            server[procedure].push_back({value, 0, 0, 0});
        else if (key == QLatin1String("T"))
            server[procedure].back().type = value.toInt();
        else if (key == QLatin1String("L"))
            server[procedure].back().length = value.toInt();
        else if (key == QLatin1String("S"))
            server[procedure].back().scale = value.toInt();
    }
    constexpr int kInteger = 8, kDate = 12, kBigint = 16, kVarchar = 37;
    for (const Catalogue::Entry& e : Catalogue::table()) {
        const QString name = QString::fromLatin1(e.def.procedure);
        const std::vector<ServerParam>& own = server[name];
        ASSERT_EQ(own.size(), e.def.params.size()) << e.def.procedure;
        for (size_t i = 0; i < own.size(); ++i) {
            const ParamDef& p = e.def.params[i];
            const ServerParam& s = own[i];
            EXPECT_EQ(s.name, QString::fromLatin1(p.name)) << e.def.procedure;
            switch (p.declared.kind) {
            case Declared::Kind::None:
                break;
            case Declared::Kind::Integer:
                EXPECT_EQ(s.type, kInteger) << e.def.procedure << " " << p.name;
                break;
            case Declared::Kind::Date:
                EXPECT_EQ(s.type, kDate) << e.def.procedure << " " << p.name;
                break;
            case Declared::Kind::Text:
                EXPECT_EQ(s.type, kVarchar) << e.def.procedure << " " << p.name;
                EXPECT_EQ(s.length, p.declared.length) << e.def.procedure << " " << p.name;
                break;
            case Declared::Kind::Decimal:
                EXPECT_EQ(s.type, kBigint) << e.def.procedure << " " << p.name;
                EXPECT_EQ(-s.scale, p.declared.scale) << e.def.procedure << " " << p.name;
                break;
            }
        }
    }
}

// A commit the server refuses (here a database trigger on commit) must end its transaction: the
// next write may not run in it, or its commit would also record the write reported as failed.
TEST(WriteStep, RefusedCommitEndsItsTransactionAndTheNextWriteStartsClean) {
    TestDatabase db(QStringLiteral("commit"));
    db.sql(QStringLiteral(
        "INSERT INTO ARTICLES (ODWO_ID, CODE, NAME, AMOUNT, PRICE) VALUES "
        "(7400, 'K-1', 'Komoda Łęczyca', 5, 300);\n"
        "CREATE TABLE COMMIT_GATE (CLOSED SMALLINT);\n"
        "INSERT INTO COMMIT_GATE VALUES (0);\n"
        "CREATE EXCEPTION COMMIT_REFUSED 'Zatwierdzenie wstrzymane';\n"
        "SET TERM ^ ;\n"
        "CREATE TRIGGER REFUSE_COMMIT ON TRANSACTION COMMIT AS BEGIN "
        "IF (CURRENT_USER = 'QUELMORA' AND EXISTS (SELECT 1 FROM COMMIT_GATE WHERE CLOSED = 1)) "
        "THEN EXCEPTION COMMIT_REFUSED; END^\n"
        "SET TERM ; ^\n"
        "GRANT SELECT ON COMMIT_GATE TO TRIGGER REFUSE_COMMIT;\n"));
    Connection c(db.settings());
    c.open();
    Catalogue cat(c);
    const auto buy = [&](const QString& label) {
        cat.ibcspWorkersPurchase.setInteger("I_USER_ID", 501);
        cat.ibcspWorkersPurchase.setText("I_ODWO_ID", QStringLiteral("7400"));
        cat.ibcspWorkersPurchase.setText("I_LABEL", label);
        cat.ibcspWorkersPurchase.setText("I_NAME", QStringLiteral("Komoda Łęczyca"));
        cat.ibcspWorkersPurchase.execute();
    };
    const auto recorded = [&](const QString& label) {
        return db
            .query(QStringLiteral("SELECT COUNT(*) AS N FROM PURCHASES WHERE LABEL = '%1';")
                       .arg(label))
            .simplified();
    };

    db.sql(QStringLiteral("UPDATE COMMIT_GATE SET CLOSED = 1;"));
    try {
        buy(QStringLiteral("1/7400/refused"));
        FAIL() << "the commit went through";
    } catch (const DbError& e) {
        EXPECT_TRUE(e.text().contains(QStringLiteral("Zatwierdzenie wstrzymane"))) << e.what();
        EXPECT_EQ(e.code(), isc_except) << e.what();
    }
    EXPECT_FALSE(c.transactionActive(TransactionRole::OnlySave));

    db.sql(QStringLiteral("UPDATE COMMIT_GATE SET CLOSED = 0;"));
    buy(QStringLiteral("1/7400/next"));
    EXPECT_EQ(recorded(QStringLiteral("1/7400/refused")), QStringLiteral("N 0"));
    EXPECT_EQ(recorded(QStringLiteral("1/7400/next")), QStringLiteral("N 1"));
    EXPECT_EQ(
        db.query(QStringLiteral("SELECT AMOUNT FROM ARTICLES WHERE ODWO_ID = 7400;")).simplified(),
        QStringLiteral("AMOUNT 4"));
}

// An administrator shuts the program's attachment down on the server. A query attaches again and
// runs once more, whether its statement was prepared on the old attachment or not, and keeps the
// results the other components hold; a write is never sent twice: it fails by code, records
// nothing, and the next write attaches again first.
TEST(Connection, AttachmentShutDownByTheServerIsAttachedAgain) {
    TestDatabase db(QStringLiteral("cut"));
    db.sql(QStringLiteral("INSERT INTO ARTICLES (ODWO_ID, CODE, NAME, AMOUNT, PRICE) VALUES "
                          "(7410, 'F-1', 'Fotel Ćmielów', 3, 250);"));
    Connection c(db.settings());
    c.open();
    Catalogue cat(c);
    const auto cut = [&] {
        db.sql(QStringLiteral("DELETE FROM MON$ATTACHMENTS WHERE MON$USER = 'QUELMORA';"));
    };
    cat.ibcspCurrentServerDate.open(); // prepared on the first attachment
    cat.ibcspGetProductInfo.setText("I_LABEL", QStringLiteral("7410"));

    for (Procedure* p : {&cat.ibcspCurrentServerDate, &cat.ibcspGetProductInfo}) {
        SCOPED_TRACE(p->name());
        cut();
        const int before = c.reconnects();
        p->open();
        EXPECT_EQ(c.reconnects(), before + 1);
        EXPECT_TRUE(p->onRow());
    }
    EXPECT_EQ(cat.ibcspGetProductInfo.asText(col::kName), QStringLiteral("Fotel Ćmielów"));
    cut();
    cat.ibcspCurrentServerDate.open();
    EXPECT_EQ(cat.ibcspGetProductInfo.asText(col::kName), QStringLiteral("Fotel Ćmielów"))
        << "another component's result was lost with the attachment";

    const auto buy = [&](const QString& label) {
        Procedure& p = cat.ibcspWorkersPurchase;
        p.setInteger("I_USER_ID", 501);
        p.setText("I_ODWO_ID", QStringLiteral("7410"));
        p.setText("I_LABEL", label);
        p.setText("I_NAME", QStringLiteral("Fotel Ćmielów"));
        p.execute();
    };
    const auto recorded = [&] {
        return db.query(QStringLiteral("SELECT LABEL FROM PURCHASES ORDER BY ORDER_ID;"))
            .simplified();
    };
    cut();
    try {
        buy(QStringLiteral("1/7410/cut"));
        FAIL() << "a write ran on a shut-down attachment";
    } catch (const DbError& e) {
        EXPECT_TRUE(e.isConnectionLost()) << e.what();
        EXPECT_FALSE(e.isLockConflict() || e.isConversionError()) << e.what();
    }
    EXPECT_TRUE(recorded().isEmpty()) << recorded().toStdString();
    EXPECT_TRUE(c.lost());
    buy(QStringLiteral("1/7410/next"));
    EXPECT_FALSE(c.lost());
    EXPECT_EQ(recorded(), QStringLiteral("LABEL 1/7410/next"));
    EXPECT_EQ(
        db.query(QStringLiteral("SELECT AMOUNT FROM ARTICLES WHERE ODWO_ID = 7410;")).simplified(),
        QStringLiteral("AMOUNT 2"));
}

TEST(Connection, MissingClientLibraryIsNamedInTheError) {
    for (const QString& path : {QStringLiteral("/nonexistent/libfbclient.so.2"),
                                QStringLiteral("libc.so.6")}) { // loads, but is no client
        try {
            loadClientLibrary(path);
            FAIL() << "loaded: " << path.toStdString();
        } catch (const DbError& e) {
            EXPECT_TRUE(e.text().contains(
                QStringLiteral("Nie można załadować biblioteki klienta Firebird %1").arg(path)))
                << e.what();
            EXPECT_EQ(e.code(), 0);
        }
    }
}

TEST(Connection, UnreachableServerGivesTheClientsText) {
    DeploymentSettings s;
    s.server = QStringLiteral("127.0.0.1");
    s.port = QStringLiteral("1"); // nothing listens there
    s.password = QStringLiteral("tajne-hasło-123");
    Connection c(s);
    try {
        c.open();
        FAIL() << "connected to nothing";
    } catch (const DbError& e) {
        EXPECT_FALSE(e.text().isEmpty());
        EXPECT_FALSE(e.text().contains(s.password));
        EXPECT_TRUE(e.isConnectionLost() || e.hasCode(isc_network_error)) << e.what();
    }
    EXPECT_FALSE(c.isOpen());
}

} // namespace
