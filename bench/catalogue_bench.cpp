// What the catalogue tabs cost over the bare Firebird client: the import of a file of new
// articles (a check, a write and a commit per record) and the refresh of a long article list.
// Run on demand: build/bench/bench_catalogue [records] [rounds] [articles]
//   records: records of each import file (default 10000); rounds: imports of each kind after
//   the warm-up (default 2); articles: articles listed by the refresh (default 50000).
#include "BareAttachment.h"
#include "BenchSupport.h"
#include "catalogue/ArticleImport.h"
#include "catalogue/ArticleList.h"
#include "core/GridTable.h"
#include "db/Catalogue.h"
#include "support/MemoryCatalogueControls.h"
#include "support/TestDatabase.h"

#include <firebird/Interface.h>

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <stdexcept>
#include <string>
#include <vector>

using namespace Firebird;
using qm::bench::Clock;
using qm::bench::require;
using qm::bench::seconds;

namespace {

constexpr unsigned kWin1250 = 51;

struct Article {
    int odwoId;
    std::string code, name, fabric, fabric2, corpus;
    int amount, parent;
    std::string qbm, price;
};

Article article(int odwoId) {
    return {odwoId,
            "K-" + std::to_string(odwoId),
            "Komoda pomiarowa " + std::to_string(odwoId),
            "Welur szary",
            "Len",
            "Dąb bielony",
            1,
            0,
            "1.25",
            std::to_string(100 + odwoId % 900) + ".50"};
}

// The import file of articles [first, first + n), in Windows-1250.
QByteArray importFile(int first, int n) {
    QByteArray out = "ODWO_ID;KOD;NAZWA;NAZWA_TKA1;NAZWA_TKA2;NAZWA_KORPUSU;ILOSC;"
                     "ARTYKUL_RODZIC_ID;KLASYFIKACJA;QBM;CENA\r\n";
    for (int i = first; i < first + n; ++i) {
        const Article a = article(i);
        out += QByteArray::number(a.odwoId) + ';' + a.code.c_str() + ';' + a.name.c_str() + ';' +
               a.fabric.c_str() + ';' + a.fabric2.c_str() + ';' +
               "D\xB9"
               "b bielony" +
               ';' + QByteArray::number(a.amount) + ';' + QByteArray::number(a.parent) + ";kl;" +
               QByteArray(a.qbm.c_str()).replace('.', ',') + ';' + a.price.c_str() + "\r\n";
    }
    return out;
}

// One attachment of the bare client, set up as the program sets up its own: a read-only
// read-committed no-wait transaction for the checks, never committed, and a read-committed
// no-wait write transaction started for each write and committed right after it. Both
// statements are prepared once.
class BareClient : public qm::bench::BareAttachment {
public:
    explicit BareClient(const qm::db::DeploymentSettings& s) : BareAttachment(s) {
        check_ = att_->prepare(&st_, load_, 0,
                               "SELECT * FROM CHECK_DATA_BEFORE_IMPORT(?, ?, ?, ?, ?, ?, ?, ?)",
                               SQL_DIALECT_V6, IStatement::PREPARE_PREFETCH_METADATA);
        checkIn_ = message({0, 80, 80, 80, 80, 80, 0, 0});
        checkInBuf_.resize(checkIn_->getMessageLength(&st_));
        checkOut_ = check_->getOutputMetadata(&st_);
        checkOutBuf_.resize(checkOut_->getMessageLength(&st_));
        require((checkOut_->getType(&st_, 0) & ~1u) == SQL_LONG, "the check's count column");

        write_ = att_->prepare(
            &st_, load_, 0, "EXECUTE PROCEDURE IMPORT_DATA_FROM_CSV(?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
            SQL_DIALECT_V6, IStatement::PREPARE_PREFETCH_METADATA);
        writeIn_ = message({0, 80, 80, 80, 80, 80, 0, 0, 32, 32});
        writeInBuf_.resize(writeIn_->getMessageLength(&st_));

        list_ = att_->prepare(&st_, load_, 0, "SELECT * FROM GET_ALL_PRODUCTS_INFO", SQL_DIALECT_V6,
                              IStatement::PREPARE_PREFETCH_METADATA);
        listOut_ = list_->getOutputMetadata(&st_);
        listOutBuf_.resize(listOut_->getMessageLength(&st_));
    }

    ~BareClient() {
        listOut_->release();
        list_->free(&st_);
        writeIn_->release();
        write_->free(&st_);
        checkOut_->release();
        checkIn_->release();
        check_->free(&st_);
    }
    BareClient(const BareClient&) = delete;
    BareClient& operator=(const BareClient&) = delete;

    // The import's work for one record: the check, and for a new article the write and its
    // commit. Returns whether the article was new.
    bool importOne(const Article& a) {
        putInt(checkIn_, checkInBuf_, 0, a.odwoId);
        putText(checkIn_, checkInBuf_, 1, a.code);
        putText(checkIn_, checkInBuf_, 2, a.name);
        putText(checkIn_, checkInBuf_, 3, a.fabric);
        putText(checkIn_, checkInBuf_, 4, a.fabric2);
        putText(checkIn_, checkInBuf_, 5, a.corpus);
        putInt(checkIn_, checkInBuf_, 6, a.amount);
        putInt(checkIn_, checkInBuf_, 7, a.parent);
        IResultSet* rs =
            check_->openCursor(&st_, load_, checkIn_, checkInBuf_.data(), checkOut_, 0);
        ISC_LONG count = 0;
        if (rs->fetchNext(&st_, checkOutBuf_.data()) == IStatus::RESULT_OK)
            std::memcpy(&count, checkOutBuf_.data() + checkOut_->getOffset(&st_, 0), sizeof count);
        rs->close(&st_);
        if (count > 0)
            return false;

        putInt(writeIn_, writeInBuf_, 0, a.odwoId);
        putText(writeIn_, writeInBuf_, 1, a.code);
        putText(writeIn_, writeInBuf_, 2, a.name);
        putText(writeIn_, writeInBuf_, 3, a.fabric);
        putText(writeIn_, writeInBuf_, 4, a.fabric2);
        putText(writeIn_, writeInBuf_, 5, a.corpus);
        putInt(writeIn_, writeInBuf_, 6, a.amount);
        putInt(writeIn_, writeInBuf_, 7, a.parent);
        putText(writeIn_, writeInBuf_, 8, a.qbm);
        putText(writeIn_, writeInBuf_, 9, a.price);
        ITransaction* tra = att_->startTransaction(&st_, writeTpb_->getBufferLength(&st_),
                                                   writeTpb_->getBuffer(&st_));
        write_->execute(&st_, tra, writeIn_, writeInBuf_.data(), nullptr, nullptr);
        tra->commit(&st_);
        return true;
    }

    // Every row of the article list fetched; returns how many.
    int fetchList() {
        IResultSet* rs = list_->openCursor(&st_, load_, nullptr, nullptr, listOut_, 0);
        int rows = 0;
        while (rs->fetchNext(&st_, listOutBuf_.data()) == IStatus::RESULT_OK)
            ++rows;
        rs->close(&st_);
        return rows;
    }

private:
    // Integers for the lengths 0, texts in Windows-1250 of the given length otherwise.
    IMessageMetadata* message(std::initializer_list<unsigned> lengths) {
        IMetadataBuilder* b = master_->getMetadataBuilder(&st_, unsigned(lengths.size()));
        unsigned i = 0;
        for (unsigned length : lengths) {
            if (length == 0) {
                b->setType(&st_, i, SQL_LONG + 1);
                b->setLength(&st_, i, sizeof(ISC_LONG));
                b->setScale(&st_, i, 0);
            } else {
                b->setType(&st_, i, SQL_VARYING + 1);
                b->setLength(&st_, i, length);
                b->setCharSet(&st_, i, kWin1250);
            }
            ++i;
        }
        IMessageMetadata* m = b->getMetadata(&st_);
        b->release();
        return m;
    }

    void notNull(IMessageMetadata* m, std::vector<unsigned char>& buf, unsigned i) {
        const short zero = 0;
        std::memcpy(buf.data() + m->getNullOffset(&st_, i), &zero, sizeof zero);
    }

    void putInt(IMessageMetadata* m, std::vector<unsigned char>& buf, unsigned i, int value) {
        notNull(m, buf, i);
        const ISC_LONG v = value;
        std::memcpy(buf.data() + m->getOffset(&st_, i), &v, sizeof v);
    }

    // The texts here are plain ASCII but for "ą" (0xB9 in Windows-1250).
    void putText(IMessageMetadata* m, std::vector<unsigned char>& buf, unsigned i,
                 const std::string& utf8) {
        const QByteArray text =
            QString::fromStdString(utf8).replace(QChar(0x105), QChar(0xB9)).toLatin1();
        const auto len = static_cast<unsigned short>(text.size());
        require(len <= m->getLength(&st_, i), "parameter text fits its message");
        notNull(m, buf, i);
        unsigned char* at = buf.data() + m->getOffset(&st_, i);
        std::memcpy(at, &len, sizeof len);
        std::memcpy(at + sizeof len, text.constData(), len);
    }

    IStatement* check_ = nullptr;
    IMessageMetadata* checkIn_ = nullptr;
    IMessageMetadata* checkOut_ = nullptr;
    std::vector<unsigned char> checkInBuf_, checkOutBuf_;
    IStatement* write_ = nullptr;
    IMessageMetadata* writeIn_ = nullptr;
    std::vector<unsigned char> writeInBuf_;
    IStatement* list_ = nullptr;
    IMessageMetadata* listOut_ = nullptr;
    std::vector<unsigned char> listOutBuf_;
};

// The dialogs of an import: the file chosen is the one given; notices are kept.
class ImportDialogs : public qm::bench::YesDialogs {
public:
    QString openFile(const QString&, const QString&) override { return path; }
    QString path;
};

// The catalogue tabs on their own connection, as the window builds them.
struct Station {
    explicit Station(const qm::db::DeploymentSettings& settings)
        : connection(settings), catalogue(connection),
          errorList(qm::catalogue::ArticleImport::errorListColumns()),
          articles(qm::catalogue::ArticleList::articleListColumns()),
          import(dialogs, catalogue, controls, errorList), list(dialogs, catalogue, articles) {
        connection.open();
    }
    ImportDialogs dialogs;
    qm::db::Connection connection;
    qm::db::Catalogue catalogue;
    qm::test::MemoryCatalogueControls controls;
    qm::GridTable errorList;
    qm::GridTable articles;
    qm::catalogue::ArticleImport import;
    qm::catalogue::ArticleList list;
};

void benchImport(Station& s, BareClient& bare, const QString& folder, int records, int rounds,
                 int& next) {
    const auto ours = [&](int n) {
        const QString path = folder + QStringLiteral("/import-%1.csv").arg(next);
        QFile f(path);
        require(f.open(QIODevice::WriteOnly), "the import file can be written");
        f.write(importFile(next, n));
        f.close();
        next += n;
        s.dialogs.path = path;
        const long notices = s.dialogs.notices;
        const auto start = Clock::now();
        s.import.LoadCSVFileButtonClick();
        const double t = seconds(start);
        require(s.dialogs.notices == notices + 1 &&
                    s.dialogs.lastNotice == QStringLiteral("Import danych powiódł się"),
                "the import registered every record");
        return t;
    };
    const auto plain = [&](int n) {
        std::vector<Article> batch;
        for (int i = next; i < next + n; ++i)
            batch.push_back(article(i));
        next += n;
        const auto start = Clock::now();
        for (const Article& a : batch)
            require(bare.importOne(a), "the bare client registered the article");
        return seconds(start);
    };

    ours(300); // warm-up: statements prepared, pages cached
    plain(300);
    double tOurs = 0, tPlain = 0;
    for (int r = 0; r < rounds; ++r) {
        if (r % 2 == 0) { // the order turns, so neither always follows the other
            tOurs += ours(records);
            tPlain += plain(records);
        } else {
            tPlain += plain(records);
            tOurs += ours(records);
        }
    }
    const double n = double(records) * rounds;
    std::printf("import of %d new articles x %d: import %.0f records/s, bare client loop %.0f "
                "records/s, ratio %.3f (of the bare loop's rate)\n",
                records, rounds, n / tOurs, n / tPlain, tPlain / tOurs);

    const QByteArray bytes = importFile(900000000, records);
    const auto start = Clock::now();
    const auto content = qm::catalogue::ArticleFile::parse(bytes, QStringLiteral("x.csv"));
    require(content.records.size() == size_t(records), "the reader reads every record");
    std::printf("  of which reading the file: %.1f ms\n", 1e3 * seconds(start));
}

void benchRefresh(Station& s, BareClient& bare, int expected, int rounds) {
    const auto ours = [&] {
        const auto start = Clock::now();
        s.list.RefreshDataButtonClick();
        const double t = seconds(start);
        require(s.articles.rows() == expected, "the list holds every article");
        return t;
    };
    const auto plain = [&] {
        const auto start = Clock::now();
        const int rows = bare.fetchList();
        const double t = seconds(start);
        require(rows == expected, "the bare fetch returns every article");
        return t;
    };
    // The query step alone: every row fetched and kept by the database layer, none shown.
    const auto step = [&] {
        qm::db::Procedure& p = s.catalogue.ibcspGetAllProductsInfo;
        const auto start = Clock::now();
        p.open();
        const double t = seconds(start);
        require(p.fetchedRows() == expected, "the query step fetches every article");
        p.close();
        return t;
    };
    ours(); // warm-up
    plain();
    step();
    double tOurs = 0, tPlain = 0, tStep = 0;
    std::vector<double> listRatios, stepRatios;
    for (int r = 0; r < rounds; ++r) {
        double o = 0, p = 0, q = 0;
        if (r % 2 == 0) {
            o = ours();
            p = plain();
            q = step();
        } else {
            q = step();
            p = plain();
            o = ours();
        }
        tOurs += o;
        tPlain += p;
        tStep += q;
        listRatios.push_back(o / p);
        stepRatios.push_back(q / p);
    }
    std::printf("refresh of %d articles x %d: list filled in %.0f ms, bare fetch %.0f ms, "
                "ratio %.2f\n",
                expected, rounds, 1e3 * tOurs / rounds, 1e3 * tPlain / rounds, tOurs / tPlain);
    std::printf("  the database layer's query step alone: %.0f ms, ratio %.2f to the bare "
                "fetch\n",
                1e3 * tStep / rounds, tStep / tPlain);
    // Each round's list and query step against the bare fetch of the same round.
    const auto spread = [](const char* what, std::vector<double> ratios) {
        std::sort(ratios.begin(), ratios.end());
        std::printf("  %s, round by round: median %.2f, from %.2f to %.2f\n", what,
                    ratios[ratios.size() / 2], ratios.front(), ratios.back());
    };
    spread("ratio of the list", listRatios);
    spread("ratio of the query step", stepRatios);
}

int run(int records, int rounds, int articles) {
    qm::test::TestDatabase db(QStringLiteral("bench-catalogue"));
    QTemporaryDir folder;
    require(folder.isValid(), "a scratch folder");
    Station s(db.settings());
    BareClient bare(db.settings());
    int next = 1;
    benchImport(s, bare, folder.path(), records, rounds, next);

    const int held = next - 1;
    if (articles > held)
        db.sql(QStringLiteral(
                   "SET TERM ^ ;\nEXECUTE BLOCK AS DECLARE I INTEGER = %1; BEGIN WHILE (I < %2) DO "
                   "BEGIN INSERT INTO ARTICLES (ODWO_ID, CODE, NAME, NAME_OF_FABRIC, "
                   "AMOUNT, PARENT_OF_ARTICLE_ID, QBM, PRICE) VALUES (:I, 'K-' || :I, "
                   "'Komoda ' || :I, 'Welur', 1, 0, 1.25, 349.99); I = I + 1; END "
                   "END^\nSET TERM ; ^\nCOMMIT;")
                   .arg(next)
                   .arg(next + articles - held));
    benchRefresh(s, bare, std::max(articles, held), 5);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int records = argc > 1 ? std::atoi(argv[1]) : 10000;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 2;
    const int articles = argc > 3 ? std::atoi(argv[3]) : 50000;
    try {
        return run(records, rounds, articles);
    } catch (const qm::Error& e) {
        std::fprintf(stderr, "%s\n", e.text().toUtf8().constData());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
    }
    return 1;
}
