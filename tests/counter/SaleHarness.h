#pragma once

#include "core/Dialogs.h"
#include "core/GridTable.h"
#include "counter/SaleCounter.h"
#include "db/Catalogue.h"
#include "support/MemorySaleControls.h"
#include "support/ScriptedDialogs.h"
#include "support/TestDatabase.h"
#include "workers/WorkerDirectory.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QThread>
#include <functional>
#include <gtest/gtest.h>
#include <vector>

namespace qm::test {

// The completion's questions and its notice of entries whose article ran out meanwhile.
inline const QString kStatement =
    QStringLiteral("Czy wygenerować oświadczenie dla obecnych zakupów?");
inline const QString kFinish = QStringLiteral("Czy zakończyć obecne zakupy?");
inline const QString kSoldOutMeanwhile =
    QStringLiteral("Tych pozycji nie zapisano, ponieważ artykułu zabrakło w międzyczasie na stanie "
                   "(sprzedano go na innym stanowisku):");

// The database of the sale tests, with its worker list: 901 to 910 and 920 once each, but 903
// twice. Each
// test that records buys for workers of its own.
inline TestDatabase& saleDatabase() {
    static TestDatabase& db = []() -> TestDatabase& {
        static TestDatabase made("sale");
        made.sql("INSERT INTO WORKERS (REFERENCE_NUMBER, NAME, SURNAME, ADDRESS) VALUES "
                 "(901, 'Jan', 'Kowalski', 'Swarzędz');\n"
                 "INSERT INTO WORKERS (REFERENCE_NUMBER, NAME, SURNAME, ADDRESS) VALUES "
                 "(902, 'Ewa', 'Nowak', 'Poznań');\n"
                 "INSERT INTO WORKERS (REFERENCE_NUMBER, NAME, SURNAME, ADDRESS) VALUES "
                 "(903, 'Zofia', 'Wójcik', 'Kórnik');\n"
                 "INSERT INTO WORKERS (REFERENCE_NUMBER, NAME, SURNAME, ADDRESS) VALUES "
                 "(903, 'Adam', 'Mazur', 'Luboń');\n"
                 "INSERT INTO WORKERS (REFERENCE_NUMBER, NAME) SELECT 903 + n, 'Anna' FROM "
                 "(SELECT 1 AS n FROM RDB$DATABASE UNION ALL SELECT 2 FROM RDB$DATABASE UNION ALL "
                 "SELECT 3 FROM RDB$DATABASE UNION ALL SELECT 4 FROM RDB$DATABASE UNION ALL "
                 "SELECT 5 FROM RDB$DATABASE UNION ALL SELECT 6 FROM RDB$DATABASE UNION ALL "
                 "SELECT 7 FROM RDB$DATABASE);\n"
                 "INSERT INTO WORKERS (REFERENCE_NUMBER, NAME, SURNAME) VALUES "
                 "(920, 'Marek', 'Wrona');");
        return made;
    }();
    return db;
}

// The worker directory of the sale tests, loaded as at start.
inline workers::WorkerDirectory loadedDirectory(TestDatabase& db) {
    db::Connection connection(db.settings());
    db::Catalogue catalogue(connection);
    connection.open();
    workers::WorkerDirectory directory;
    ScriptedDialogs dialogs;
    directory.load(catalogue, dialogs);
    dialogs.verify();
    return directory;
}

using Rows = std::vector<std::pair<QString, QString>>;

// A sale-tab counter on its own connection, as one workstation runs it.
struct SaleStation {
    explicit SaleStation(TestDatabase& db, workers::WorkerDirectory& directory)
        : connection(db.settings()), catalogue(connection),
          basketView(counter::SaleCounter::basketViewColumns()),
          checkView(counter::SaleCounter::checkViewColumns()),
          counter(
              dialogs, catalogue, directory, controls, basketView, checkView,
              [this] {
                  previews.push_back(basketRows());
                  if (previewFault)
                      previewFault();
              },
              connection.codec()) {
        connection.open();
    }

    // Runs a handler the way the window does: an error goes to the general error report.
    bool run(const std::function<void()>& handler) { return runGuarded(dialogs, handler); }

    void chooseSellMode() {
        controls.chooseSellMode();
        run([&] { counter.SellRadioButtonClick(); });
    }
    void chooseCheckMode() {
        controls.chooseCheckMode();
        run([&] { counter.CheckProductRadioButtonClick(); });
    }
    // Types the worker ID and presses Enter.
    void confirmWorker(const QString& id) {
        controls.workerId = id;
        run([&] { counter.WorkerIDEditKeyPress(counter::SaleCounter::kEnter); });
    }
    // Scans a label: its text, then Enter.
    bool scan(const QString& label) {
        controls.productId = label;
        return run([&] { counter.ProductIDEditKeyPress(counter::SaleCounter::kEnter); });
    }
    bool finalize() {
        return run([&] { counter.FinalizeSellButtonClick(); });
    }

    Rows basket() const {
        Rows rows;
        for (const auto& e : counter.arrayForShoppingProcess())
            rows.emplace_back(e.articleName, e.labelText);
        return rows;
    }
    Rows basketRows() const {
        Rows rows;
        for (int r = 0; r < basketView.rows(); ++r)
            rows.emplace_back(basketView.text(r, 0), basketView.text(r, 1));
        return rows;
    }
    // After the purchase reset: no mode, no worker, empty fields, views and basket.
    void expectReset() const {
        EXPECT_FALSE(controls.checkProduct);
        EXPECT_FALSE(controls.sell);
        EXPECT_TRUE(controls.purchaseButtonsDisabled());
        EXPECT_TRUE(controls.isEnabled(counter::Control::WorkerIDEdit));
        EXPECT_EQ(counter.workerId(), "");
        EXPECT_EQ(controls.workerId, "");
        EXPECT_EQ(controls.productId, "");
        EXPECT_EQ(basketView.rows(), 0);
        EXPECT_EQ(checkView.rows(), 0);
        EXPECT_TRUE(counter.arrayForShoppingProcess().empty());
    }

    db::Connection connection;
    db::Catalogue catalogue;
    ScriptedDialogs dialogs;
    MemorySaleControls controls;
    GridTable basketView;
    GridTable checkView;
    std::vector<Rows> previews;         // the basket view each time the statement was shown
    std::function<void()> previewFault; // run inside the preview, after it is recorded
    counter::SaleCounter counter;
};

// SQL that adds an article.
inline QString article(int key, const QString& name, int amount, const QString& price = "100.00") {
    return QStringLiteral("INSERT INTO ARTICLES (ODWO_ID, CODE, NAME, NAME_OF_FABRIC, "
                          "NAME_OF_CORPUS, AMOUNT, QBM, PRICE) VALUES (%1, 'K-%1', '%2', "
                          "'Tkanina %1', 'Korpus %1', %3, 1.25, %4);\n")
        .arg(QString::number(key), name, QString::number(amount), price);
}

// SQL that records a purchase the way an earlier sale did, at a given moment.
inline QString purchase(int worker, int key, const QString& name, const QString& label,
                        const QString& at) {
    return QStringLiteral("INSERT INTO PURCHASES (USER_ID, ARTICLE_ID, LABEL, NAME, PURCHASED_AT) "
                          "SELECT %1, ARTICLE_ID, '%4', NAME, TIMESTAMP '%5' FROM ARTICLES "
                          "WHERE ODWO_ID = %2 AND NAME = '%3';\n")
        .arg(QString::number(worker), QString::number(key), name, label, at);
}

// Polls until the condition holds or the time runs out; false when it ran out.
inline bool waitUntil(int ms, const std::function<bool()>& condition) {
    QElapsedTimer waited;
    waited.start();
    while (!condition()) {
        if (waited.elapsed() > ms)
            return false;
        QThread::msleep(20);
    }
    return true;
}

// Whether the server is running a purchase write of the program now.
inline bool purchaseWriteRunning(const TestDatabase& db) {
    return db
        .query("SELECT COUNT(*) AS RUNNING FROM MON$STATEMENTS WHERE MON$STATE = 1 "
               "AND MON$SQL_TEXT STARTING WITH 'EXECUTE PROCEDURE WORKERS_PURCHASE';")
        .contains(QRegularExpression("RUNNING\\s+1"));
}

// The amount of one article, read through the program's own lookup.
inline int amountOf(db::Catalogue& catalogue, int key, const QString& name) {
    db::Procedure& p = catalogue.ibcspGetProductInfo;
    p.setText("I_LABEL", QString::number(key));
    p.open();
    int amount = -1;
    p.walkRows(p.readCount(db::col::kCountAmountOfArticles), [&] {
        if (p.asText(db::col::kName) == name)
            amount = p.asInteger(db::col::kAmount);
    });
    return amount;
}

// The labels of one worker's standing purchases, oldest first, through the program's listing.
inline QStringList labelsBoughtBy(db::Catalogue& catalogue, int worker) {
    db::Procedure& p = catalogue.ibcspGetWorkerOrders;
    p.setInteger("I_USER_ID", worker);
    p.open();
    QStringList labels;
    p.walkRows(p.readCount(db::col::kCountWorkerOrders),
               [&] { labels << p.asText(db::col::kLabel); });
    return labels;
}

// Whether the counter sent a lookup: the lookup component is first left standing on the result
// of a known key; any lookup the counter sends replaces that result, or leaves the component
// closed when the server refuses the key.
inline void standLookupOn(db::Catalogue& catalogue, int key) {
    db::Procedure& p = catalogue.ibcspGetProductInfo;
    p.setText("I_LABEL", QString::number(key));
    p.open();
    ASSERT_TRUE(p.onRow());
    ASSERT_EQ(p.asInteger("ODWO_ID_TO_RETURN"), key);
}
inline bool lookupStillStandsOn(db::Catalogue& catalogue, int key) {
    db::Procedure& p = catalogue.ibcspGetProductInfo;
    return p.isOpen() && p.fetchedRows() == 1 && p.onRow() &&
           p.asInteger("ODWO_ID_TO_RETURN") == key;
}

// The standing purchases of all workers as "worker|label", through the release's own listing.
inline QStringList standingOrders(db::Catalogue& catalogue) {
    db::Procedure& p = catalogue.ibcspGetWorkersOrdersID;
    p.open();
    QStringList orders;
    p.walkRows(p.readCount(db::col::kCountWorkerOrders), [&] {
        orders << p.asText(db::col::kUserId) + QLatin1Char('|') + p.asText(db::col::kLabel);
    });
    return orders;
}

} // namespace qm::test
