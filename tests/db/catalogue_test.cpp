// The database layer against the real server: every procedure of the catalogue through the query
// and write steps, texts in the connection's code page, and how failures come back.
#include "db/Catalogue.h"
#include "db/DbError.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <atomic>
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

TEST_F(CatalogueTest, ProductLookupRendersEveryColumnAsThePolishClientDoes) {
    Procedure& p = catalogue_->ibcspGetProductInfo;
    p.setText("I_LABEL", QStringLiteral("7001"));
    p.open();
    const int count = p.readCount("COUNT_AMOUNT_OF_ARTICLES");
    ASSERT_EQ(count, 2);
    QStringList seen;
    p.walkRows(count, [&] {
        seen << QStringList{p.asText("ODWO_ID_TO_RETURN"),
                            p.asText("CODE_TO_RETURN"),
                            p.asText("NAME_TO_RETURN"),
                            p.asText("NAME_OF_FABRIC_TO_RETURN"),
                            p.asText("NAME_OF_CORPUS_TO_RETURN"),
                            p.asText("AMOUNT_TO_RETURN"),
                            p.asText("QBM_TO_RETURN"),
                            p.asText("PRICE_TO_RETURN")}
                    .join(QLatin1Char('|'));
    });
    EXPECT_EQ(seen,
              (QStringList{
                  QStringLiteral("7001|SF-1|Sofa Łódź|Welur ciemnozielony|Buk|2|1,25|1299,00"),
                  QStringLiteral("7001|SF-2|Fotel Łódź|||0||499,50"),
              }));
}

TEST_F(CatalogueTest, UnknownKeyGivesCountZeroAndNoRowIsRead) {
    Procedure& p = catalogue_->ibcspGetProductInfo;
    p.setText("I_LABEL", QStringLiteral("999999"));
    p.open();
    EXPECT_EQ(p.readCount("COUNT_AMOUNT_OF_ARTICLES"), 0);
    int visited = 0;
    p.walkRows(0, [&] { ++visited; });
    EXPECT_EQ(visited, 0);
    EXPECT_EQ(p.asInteger("ODWO_ID_TO_RETURN"), 0) << "no row reads as no article";
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
    ASSERT_EQ(p.readCount("COUNT_AMOUNT_OF_ARTICLES"), 1);
    EXPECT_EQ(p.asText("NAME_TO_RETURN"), QStringLiteral("Stolik kawowy Żółw"));

    p.setText("I_LABEL", QStringLiteral("12a"));
    try {
        p.open();
        FAIL() << "a non-number key must fail";
    } catch (const DbError& e) {
        EXPECT_TRUE(e.text().contains(QStringLiteral("conversion error"))) << e.what();
    }
}

TEST_F(CatalogueTest, QueryRunTwiceGivesFreshRows) {
    Procedure& p = catalogue_->ibcspGetWorkersData;
    p.open();
    const int before = p.readCount("COUNT_WORKERS_DATA_TO_RETURN");
    db_->sql(QStringLiteral("INSERT INTO WORKERS (REFERENCE_NUMBER) VALUES (503);"));
    p.open();
    const int after = p.readCount("COUNT_WORKERS_DATA_TO_RETURN");
    EXPECT_EQ(after, before + 1);
    EXPECT_EQ(p.fetchedRows(), after);
    QStringList ids;
    p.walkRows(after, [&] { ids << QString::number(p.asInteger("REFERENCE_NUMBER_TO_RETURN")); });
    EXPECT_EQ(ids.last(), QStringLiteral("503"));
    db_->sql(QStringLiteral("DELETE FROM WORKERS WHERE REFERENCE_NUMBER = 503;"));
}

TEST_F(CatalogueTest, WorkerRowsCarryPolishLettersAndNullsAsEmptyText) {
    Procedure& p = catalogue_->ibcspGetWorkersData;
    p.open();
    ASSERT_GE(p.readCount("COUNT_WORKERS_DATA_TO_RETURN"), 2);
    EXPECT_EQ(p.asInteger("REFERENCE_NUMBER_TO_RETURN"), 501);
    EXPECT_EQ(p.asText("NAME_TO_RETURN"), QStringLiteral("Łucja"));
    EXPECT_EQ(p.asText("SURNAME_TO_RETURN"), QStringLiteral("Żółkiewska"));
    EXPECT_EQ(p.asText("STREET_TO_RETURN"), QStringLiteral("ul. Źródlana 5"));
    EXPECT_EQ(p.asText("INSTITUTION_TO_RETURN"), QStringLiteral("Zakład Świętoszów"));
    ASSERT_TRUE(p.next());
    EXPECT_EQ(p.asText("NAME_TO_RETURN"), QString());
    EXPECT_TRUE(p.isNull("NAME_TO_RETURN"));
}

TEST_F(CatalogueTest, PurchaseIsListedByEveryOrderProcedureAndCanBeReleased) {
    const QString label = QStringLiteral("12/7002/ąę");
    purchase(*catalogue_, 501, QStringLiteral("7002"), label, QStringLiteral("Stolik kawowy Żółw"));
    EXPECT_EQ(amountOf(QStringLiteral("ODWO_ID = 7002")), QStringLiteral("AMOUNT 0"));

    Procedure& all = catalogue_->ibcspGetWorkersOrders;
    all.open();
    ASSERT_EQ(all.readCount("COUNT_WORKER_ORDERS_TO_RETURN"), 1);
    EXPECT_EQ(all.asText("USER_ID_TO_RETURN"), QStringLiteral("501"));
    EXPECT_EQ(all.asText("LABEL_TO_RETURN"), label);
    const QString today = QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy"));
    EXPECT_EQ(all.asText("DATE_TO_RETURN"), today);

    Procedure& one = catalogue_->ibcspGetWorkerOrders;
    one.setInteger("I_USER_ID", 501);
    one.open();
    EXPECT_EQ(one.readCount("COUNT_WORKER_ORDERS_TO_RETURN"), 1);
    one.setInteger("I_USER_ID", 502);
    one.open();
    EXPECT_EQ(one.readCount("COUNT_WORKER_ORDERS_TO_RETURN"), 0);

    Procedure& range = catalogue_->ibcspGetOrdersByDateRange;
    range.setDate("I_DATE_FROM", QDate::currentDate());
    range.setDate("I_DATE_TO", QDate::currentDate());
    range.open();
    EXPECT_EQ(range.readCount("COUNT_WORKER_ORDERS_TO_RETURN"), 1);
    range.setDate("I_DATE_FROM", QDate::currentDate().addDays(1));
    range.setDate("I_DATE_TO", QDate::currentDate().addDays(9));
    range.open();
    EXPECT_EQ(range.readCount("COUNT_WORKER_ORDERS_TO_RETURN"), 0);

    Procedure& ids = catalogue_->ibcspGetWorkersOrdersID;
    ids.open();
    ASSERT_EQ(ids.readCount("COUNT_WORKER_ORDERS_TO_RETURN"), 1);
    const QString orderId = ids.asText("ORDER_ID_TO_RETURN");
    const QDateTime when =
        QDateTime::fromString(ids.asText("DATE_TO_RETURN"), QStringLiteral("dd.MM.yyyy HH:mm:ss"));
    EXPECT_TRUE(when.isValid()) << ids.asText("DATE_TO_RETURN").toStdString();
    EXPECT_EQ(ids.asDateTime("DATE_TO_RETURN").date(), QDate::currentDate());

    Procedure& release = catalogue_->ibcspRollbackWorkerPurchase;
    release.setInteger("I_ORDER_ID", orderId.toInt());
    release.setInteger("I_ODWO_ID", 7002);
    release.setText("I_NAME", QStringLiteral("Stolik kawowy Żółw"));
    release.execute();
    EXPECT_EQ(amountOf(QStringLiteral("ODWO_ID = 7002")), QStringLiteral("AMOUNT 1"));
    ids.open();
    EXPECT_EQ(ids.readCount("COUNT_WORKER_ORDERS_TO_RETURN"), 0);
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
    EXPECT_EQ(check.asInteger("COUNT_ARTICLE_TO_RETURN"), 0);

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
    EXPECT_EQ(check.asInteger("COUNT_ARTICLE_TO_RETURN"), 1);
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
    const int n = list.readCount("COUNT_AMOUNT_OF_ARTICLES");
    QString row;
    list.walkRows(n, [&] {
        if (list.asText("ODWO_ID_TO_RETURN") == QLatin1String("7100"))
            row = QStringList{list.asText("CODE_TO_RETURN"),
                              list.asText("NAME_TO_RETURN"),
                              list.asText("NAME_OF_FABRIC_TO_RETURN"),
                              list.asText("NAME_OF_FABRIC2_TO_RETURN"),
                              list.asText("NAME_OF_CORPUS_TO_RETURN"),
                              list.asText("AMOUNT_TO_RETURN"),
                              list.asText("PARENT_OF_ARTICLE_TO_RETURN"),
                              list.asText("QBM_TO_RETURN"),
                              list.asText("PRICE_TO_RETURN")}
                      .join(QLatin1Char('|'));
    });
    EXPECT_EQ(row, QStringLiteral("KM-ś|Komoda Ćma|Sztruks źółty|Len|Dąb|3|7001|2,00|912,35"));

    Procedure& date = catalogue_->ibcspCurrentServerDate;
    date.open();
    EXPECT_EQ(date.asDateTime("CURRENT_DATE_TO_RETURN").date(), QDate::currentDate());
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
    qm::test::UncommittedChange held(*db_, QStringLiteral("UPDATE ARTICLES SET AMOUNT = AMOUNT "
                                                          "WHERE CODE = 'SF-1'"));
    try {
        purchase(*catalogue_, 501, QStringLiteral("7001"), QStringLiteral("7001"),
                 QStringLiteral("Sofa Łódź"));
        FAIL() << "the write went through a locked row";
    } catch (const DbError& e) {
        EXPECT_TRUE(e.text().contains(QStringLiteral("lock conflict")) ||
                    e.text().contains(QStringLiteral("deadlock")))
            << e.what();
    }
    EXPECT_EQ(purchases(QStringLiteral("LABEL = '7001'")), 0);
}

TEST_F(CatalogueTest, LastItemBoughtFromTwoConnectionsAtOnceIsSoldOnce) {
    db_->sql(QStringLiteral("INSERT INTO ARTICLES (ODWO_ID, CODE, NAME, AMOUNT, PRICE) VALUES "
                            "(7300, 'L-1', 'Regał ostatni', 1, 100);"));
    for (int round = 0; round < 5; ++round) {
        std::atomic<int> ready{0};
        std::atomic<int> sold{0};
        QStringList errors[2];
        const auto counter = [&](int n) {
            Connection c(db_->settings());
            c.open();
            Catalogue cat(c);
            ++ready;
            while (ready.load() < 2) {
            }
            try {
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
    }
    EXPECT_FALSE(c.isOpen());
}

} // namespace
