// The CSV files of the grids, byte for byte and read back by a real CSV reader, and files that
// are written whole or not at all.
#include "core/Error.h"
#include "core/GridTable.h"
#include "printing/CsvOutput.h"
#include "printing/FileOutput.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace qm::printing;

namespace {

using Rows = std::vector<QStringList>;

std::unique_ptr<qm::GridTable> grid(const QStringList& captions, const Rows& rows) {
    std::vector<qm::GridColumn> columns;
    for (const QString& c : captions)
        columns.push_back({c, 100, false});
    auto g = std::make_unique<qm::GridTable>(std::move(columns));
    for (const QStringList& cells : rows) {
        const int row = g->appendRow();
        for (int c = 0; c < cells.size(); ++c)
            g->setText(row, c, cells[c]);
    }
    return g;
}

std::vector<int> gridOrder(const qm::GridTable& g) {
    return g.displayOrder();
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
    return f.readAll();
}

TEST(CsvOutput, EveryByteOfTheFile) {
    const QByteArray bom("\xEF\xBB\xBF");
    struct Case {
        const char* what;
        QStringList captions;
        Rows rows;
        QByteArray expected;
    };
    const Case cases[] = {
        {"no rows: the caption line only, no line break",
         {"NAZWA", "ETYKIETA"},
         {},
         bom + "\"NAZWA\";\"ETYKIETA\""},
        {"rows after CR LF, none after the last",
         {"A", "B"},
         {{"1", "2"}, {"3", "4"}},
         bom + "\"A\";\"B\"\r\n\"1\";\"2\"\r\n\"3\";\"4\""},
        {"empty and never written cells are two quotes",
         {"A", "B", "C"},
         {{"", "x"}, {"y"}},
         bom + "\"A\";\"B\";\"C\"\r\n\"\";\"x\";\"\"\r\n\"y\";\"\";\"\""},
        {"inner quotes doubled; separators and line breaks stay inside the quotes",
         {"OPIS"},
         {{"Szafa \"Lena\""}, {"a;b"}, {"wiersz 1\r\nwiersz 2"}, {"\""}},
         bom + "\"OPIS\"\r\n\"Szafa \"\"Lena\"\"\"\r\n\"a;b\"\r\n\"wiersz 1\r\nwiersz "
               "2\"\r\n\"\"\"\""},
        {"Polish letters in UTF-8",
         {"ULICA"},
         {{QStringLiteral("Żółkiewskiego 5, Łódź")}},
         bom + "\"ULICA\"\r\n\"" + QStringLiteral("Żółkiewskiego 5, Łódź").toUtf8() + "\""},
    };
    QTemporaryDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto g = grid(c.captions, c.rows);
        const QString path = dir.filePath(QStringLiteral("raport.csv"));
        writeCsv(path, *g, gridOrder(*g));
        EXPECT_EQ(readAll(path), c.expected);
    }
}

TEST(CsvOutput, NumbersAsTheGridShowsThemAndRowsInTheGivenOrder) {
    qm::GridTable g(
        {{QStringLiteral("NAZWA"), 100, false}, {QStringLiteral("CENA_Z_VAT"), 80, true}});
    for (const auto& [name, price] : {std::pair{"Komoda", 1299.5}, {"Regał", 19.99}}) {
        const int row = g.appendRow();
        g.setText(row, 0, QString::fromUtf8(name));
        g.setNumber(row, 1, price);
    }
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("ceny.csv"));
    writeCsv(path, g, {1, 0});
    EXPECT_EQ(readAll(path), QByteArray("\xEF\xBB\xBF\"NAZWA\";\"CENA_Z_VAT\"\r\n\"") +
                                 QStringLiteral("Regał").toUtf8() +
                                 "\";\"19,99\"\r\n\"Komoda\";\"1299,5\"");
}

// Python's csv module reads the file back: each value comes back as it was.
TEST(CsvOutput, AReadersRoundTripGivesBackEveryValue) {
    const QStringList captions{"ADRES", "ULICA", "ZAKLAD"};
    const Rows rows{
        {QStringLiteral("Poznań; os. Łokietka"), QStringLiteral("ul. \"Pod Dębem\" 7"),
         QStringLiteral("Zakład 2")},
        {QStringLiteral("linia 1\nlinia 2"), QStringLiteral("a\r\nb"), QString()},
        {QStringLiteral("\"\""), QStringLiteral(";"), QStringLiteral("ąćęłńóśźż ĄĆĘŁŃÓŚŹŻ")},
    };
    QTemporaryDir dir;
    const auto g = grid(captions, rows);
    const QString path = dir.filePath(QStringLiteral("adresy.csv"));
    writeCsv(path, *g, gridOrder(*g));

    QProcess python;
    python.start(QStringLiteral("python3"),
                 {QStringLiteral("-c"),
                  QStringLiteral("import csv, json, sys\n"
                                 "with open(sys.argv[1], encoding='utf-8-sig', newline='') as f:\n"
                                 "    print(json.dumps(list(csv.reader(f, delimiter=';'))))\n"),
                  path});
    ASSERT_TRUE(python.waitForFinished(30000));
    ASSERT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
    const QJsonArray read = QJsonDocument::fromJson(python.readAllStandardOutput()).array();
    ASSERT_EQ(read.size(), qsizetype(rows.size() + 1));
    EXPECT_EQ(read[0].toVariant().toStringList(), captions);
    for (size_t r = 0; r < rows.size(); ++r)
        EXPECT_EQ(read[qsizetype(r + 1)].toVariant().toStringList(), rows[r]) << r;
}

TEST(FileOutput, AFailedWriteLeavesNothingAndKeepsTheOldFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("raport.csv"));
    {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("stary raport");
    }
    // The content fails half way.
    EXPECT_THROW(writeFileAtomically(path,
                                     [](QIODevice& file) {
                                         file.write("nowy, ale nie");
                                         throw qm::AppError(QStringLiteral("przerwane"));
                                     }),
                 qm::AppError);
    EXPECT_EQ(readAll(path), QByteArray("stary raport"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"raport.csv"});

    // The name is taken by a folder, or the folder does not exist: a Polish reason naming the
    // file, and nothing written.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("zajete.csv")));
    struct Case {
        QString path;
        QString reason;
    };
    for (const Case& c : {Case{dir.filePath(QStringLiteral("zajete.csv")), "folder"},
                          Case{dir.filePath(QStringLiteral("brak/raport.csv")), "nie istnieje"}}) {
        SCOPED_TRACE(c.path.toStdString());
        try {
            writeFileAtomically(c.path, [](QIODevice& file) { file.write("x"); });
            ADD_FAILURE() << "no error";
        } catch (const qm::AppError& e) {
            EXPECT_TRUE(e.text().startsWith(QStringLiteral("Nie można zapisać pliku ")))
                << e.text().toStdString();
            EXPECT_TRUE(e.text().contains(QDir::toNativeSeparators(c.path)))
                << e.text().toStdString();
            EXPECT_TRUE(e.text().contains(c.reason)) << e.text().toStdString();
        }
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"raport.csv"});
    EXPECT_TRUE(QDir(dir.filePath(QStringLiteral("zajete.csv"))).isEmpty());
}

} // namespace
