#include "workers/WorkerDirectory.h"
#include "db/Catalogue.h"
#include "db/DbError.h"
#include "support/ScriptedDialogs.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>
#include <memory>
#include <optional>

using qm::test::ScriptedDialogs;
using qm::test::TestDatabase;
using qm::workers::WorkerAddress;
using qm::workers::WorkerDirectory;

namespace {

const QString kNoWorkerData = QStringLiteral("Program nie posiada pobranych danych pracowników");
const QString kNoSuchWorker = QStringLiteral("Brak pracownika o podanym ID w pobranej bazie");
const QString kLoadFailed = QStringLiteral("Nie udało załadować się danych wszystkich pracowników");

// The program's own connection to a test database.
struct Session {
    explicit Session(const TestDatabase& db) : connection(db.settings()), catalogue(connection) {
        connection.open();
    }
    qm::db::Connection connection;
    qm::db::Catalogue catalogue;
};

QString workerRow(int id, const QString& name, const QString& address) {
    return QStringLiteral("INSERT INTO WORKERS (REFERENCE_NUMBER, NAME, SURNAME, ADDRESS, "
                          "POSTCODE, STREET, INSTITUTION) VALUES (%1, '%2', 'Nowak', '%3', "
                          "'62-020', 'ul. Długa %1', 'Zakład %2');")
        .arg(QString::number(id), name, address);
}

class WorkerDirectoryTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { db = std::make_unique<TestDatabase>("workers"); }
    static void TearDownTestSuite() { db.reset(); }

    // Replaces the server's worker list and loads it into a fresh directory.
    WorkerDirectory loaded(const QString& inserts) {
        db->sql(QStringLiteral("DELETE FROM WORKERS;\n") + inserts);
        Session session(*db);
        WorkerDirectory directory;
        ScriptedDialogs dialogs;
        directory.load(session.catalogue, dialogs);
        dialogs.verify();
        return directory;
    }

    static std::unique_ptr<TestDatabase> db;
};

std::unique_ptr<TestDatabase> WorkerDirectoryTest::db;

TEST_F(WorkerDirectoryTest, LoadKeepsServerOrderSevenCellsPerWorker) {
    const WorkerDirectory directory = loaded(
        workerRow(1003, QStringLiteral("Małgorzata"), QStringLiteral("Poznań")) +
        QStringLiteral("INSERT INTO WORKERS (REFERENCE_NUMBER, NAME) VALUES (-7, 'Żaneta');") +
        workerRow(0, QStringLiteral("Łukasz"), QStringLiteral("Środa Wielkopolska")));

    const QStringList workers[] = {
        {"1003", "Małgorzata", "Nowak", "Poznań", "62-020", "ul. Długa 1003", "Zakład Małgorzata"},
        {"-7", "Żaneta", "", "", "", "", ""},
        {"0", "Łukasz", "Nowak", "Środa Wielkopolska", "62-020", "ul. Długa 0", "Zakład Łukasz"},
    };
    EXPECT_EQ(directory.cells(), workers[0] + workers[1] + workers[2]);
    EXPECT_EQ(directory.workerCount(), 3);
}

// Both lookups match the ID cell by exact text; the listing takes the last of several matches,
// the purchase check wants exactly one.
TEST_F(WorkerDirectoryTest, LookupsMatchExactTextLastWinsExactlyOneBuys) {
    const WorkerDirectory directory =
        loaded(workerRow(500, QStringLiteral("Anna"), QStringLiteral("Swarzędz")) +
               workerRow(12, QStringLiteral("Piotr"), QStringLiteral("Kostrzyn")) +
               workerRow(500, QStringLiteral("Zofia"), QStringLiteral("Pobiedziska")) +
               workerRow(-7, QStringLiteral("Ewa"), QStringLiteral("Luboń")) +
               workerRow(0, QStringLiteral("Jan"), QStringLiteral("Kórnik")) +
               workerRow(2147483647, QStringLiteral("Ola"), QStringLiteral("Mosina")) +
               workerRow(-2147483647 - 1, QStringLiteral("Iza"), QStringLiteral("Puszczykowo")));

    struct Case {
        QString id;
        std::optional<QString> listedAddress;
        bool buys;
    };
    const Case cases[] = {
        {"500", QStringLiteral("Pobiedziska"), false}, // two workers: the later one is listed
        {"12", QStringLiteral("Kostrzyn"), true},
        {"-7", QStringLiteral("Luboń"), true},
        {"012", std::nullopt, false}, // leading zero
        {"0500", std::nullopt, false},
        {" 12", std::nullopt, false},
        {"12 ", std::nullopt, false},
        {"+12", std::nullopt, false},
        {"12.0", std::nullopt, false},
        {"", std::nullopt, false},
        {"13", std::nullopt, false},
        {QStringLiteral("１２"), std::nullopt, false}, // full-width digits
        {"0", QStringLiteral("Kórnik"), true},
        {"00", std::nullopt, false},
        {"-0", std::nullopt, false},
        {"-07", std::nullopt, false},
        {"-", std::nullopt, false},
        {"2147483647", QStringLiteral("Mosina"), true},
        {"-2147483648", QStringLiteral("Puszczykowo"), true},
        {"4294967308", std::nullopt, false}, // 2^32 + 12
        {"2147483648", std::nullopt, false},
        {"12345678901", std::nullopt, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id.toStdString());
        ScriptedDialogs dialogs;
        const std::optional<WorkerAddress> listed = directory.listingLookup(dialogs, c.id, true);
        ASSERT_EQ(listed.has_value(), c.listedAddress.has_value());
        if (listed) {
            EXPECT_EQ(listed->address, *c.listedAddress);
            EXPECT_EQ(listed->postcode, "62-020");
            EXPECT_EQ(listed->street, QStringLiteral("ul. Długa ") + c.id);
        }
        if (!c.buys)
            dialogs.expectInformation(kNoSuchWorker);
        EXPECT_EQ(directory.purchaseCheck(dialogs, c.id), c.buys);
        dialogs.verify();
    }
    ScriptedDialogs dialogs;
    const auto later = directory.listingLookup(dialogs, "500", false);
    ASSERT_TRUE(later);
    EXPECT_EQ(later->institution, QStringLiteral("Zakład Zofia"));
}

TEST_F(WorkerDirectoryTest, EmptyDirectoryTellsOnceForTheFirstListingRow) {
    const WorkerDirectory directory = loaded(QString());
    EXPECT_TRUE(directory.isEmpty());

    ScriptedDialogs dialogs;
    dialogs.expectInformation(kNoWorkerData);
    for (int row = 0; row < 10; ++row)
        EXPECT_FALSE(directory.listingLookup(dialogs, QString::number(row), row == 0));
    dialogs.verify();

    dialogs.expectInformation(kNoWorkerData);
    EXPECT_FALSE(directory.purchaseCheck(dialogs, "1"));
    dialogs.verify();
}

// The load guards its row walk only: an error there keeps what was read, and the lookups see
// exactly those cells, the half-stored worker included.
TEST(WorkerDirectoryLoad, ErrorInTheWalkKeepsWhatWasRead) {
    TestDatabase db("workers-broken");
    db.sql(workerRow(1, QStringLiteral("Anna"), QStringLiteral("Swarzędz")) +
           workerRow(2, QStringLiteral("Zepsuty"), QStringLiteral("Kórnik")) +
           workerRow(3, QStringLiteral("Piotr"), QStringLiteral("Kostrzyn")));
    // Replaces the procedure with one whose result the walk cannot read to the end.
    const auto alter = [&](const char* idColumn, const char* idValue, const char* streetColumn,
                           const char* street, const char* streetInto) {
        db.sql(QStringLiteral(
                   "SET TERM ^ ;\n"
                   "ALTER PROCEDURE GET_WORKERS_DATA RETURNS (COUNT_WORKERS_DATA_TO_RETURN "
                   "INTEGER, REFERENCE_NUMBER_TO_RETURN %1, NAME_TO_RETURN VARCHAR(60), "
                   "SURNAME_TO_RETURN VARCHAR(80), ADDRESS_TO_RETURN VARCHAR(100), "
                   "POSTCODE_TO_RETURN VARCHAR(10), %3 INSTITUTION_TO_RETURN VARCHAR(100)) AS "
                   "BEGIN FOR SELECT COUNT(*) OVER (), %2, NAME, SURNAME, ADDRESS, POSTCODE, %4 "
                   "INSTITUTION FROM WORKERS ORDER BY WORKER_ID INTO "
                   ":COUNT_WORKERS_DATA_TO_RETURN, :REFERENCE_NUMBER_TO_RETURN, :NAME_TO_RETURN, "
                   ":SURNAME_TO_RETURN, :ADDRESS_TO_RETURN, :POSTCODE_TO_RETURN, %5 "
                   ":INSTITUTION_TO_RETURN DO SUSPEND; END^\n"
                   "SET TERM ; ^")
                   .arg(QString::fromLatin1(idColumn), QString::fromLatin1(idValue),
                        QString::fromLatin1(streetColumn), QString::fromLatin1(street),
                        QString::fromLatin1(streetInto)));
    };

    {
        // The second worker's ID is no number: that worker keeps seven empty cells, the third is
        // never read.
        alter("VARCHAR(20)", "IIF(NAME = 'Zepsuty', 'x', CAST(REFERENCE_NUMBER AS VARCHAR(20)))",
              "STREET_TO_RETURN VARCHAR(100),", "STREET,", ":STREET_TO_RETURN,");
        Session session(db);
        WorkerDirectory directory;
        ScriptedDialogs dialogs;
        dialogs.expectInformation(kLoadFailed);
        directory.load(session.catalogue, dialogs);
        dialogs.verify();
        EXPECT_EQ(directory.cells(),
                  QStringList({"1", "Anna", "Nowak", "Swarzędz", "62-020", "ul. Długa 1",
                               "Zakład Anna", "", "", "", "", "", "", ""}));
        // The walk would match the empty ID cell of the half-stored worker; so does the index.
        EXPECT_TRUE(directory.purchaseCheck(dialogs, ""));
        const auto listed = directory.listingLookup(dialogs, "", true);
        ASSERT_TRUE(listed);
        EXPECT_EQ(listed->address, "");
        dialogs.expectInformation(kNoSuchWorker);
        EXPECT_FALSE(directory.purchaseCheck(dialogs, "3"));
        dialogs.verify();
    }
    {
        // No street column: the first worker keeps the five cells read before it.
        alter("INTEGER", "REFERENCE_NUMBER", "", "", "");
        Session session(db);
        WorkerDirectory directory;
        ScriptedDialogs dialogs;
        dialogs.expectInformation(kLoadFailed);
        directory.load(session.catalogue, dialogs);
        dialogs.verify();
        EXPECT_EQ(directory.cells(),
                  QStringList({"1", "Anna", "Nowak", "Swarzędz", "62-020", "", ""}));
        EXPECT_TRUE(directory.purchaseCheck(dialogs, "1"));
    }
    {
        // A query that cannot be opened is not guarded: its error escapes, with no box.
        db.sql("REVOKE EXECUTE ON PROCEDURE GET_WORKERS_DATA FROM USER QUELMORA;");
        Session session(db);
        WorkerDirectory directory;
        ScriptedDialogs dialogs;
        EXPECT_THROW(directory.load(session.catalogue, dialogs), qm::db::DbError);
        dialogs.verify();
        EXPECT_TRUE(directory.isEmpty());
    }
}

} // namespace
