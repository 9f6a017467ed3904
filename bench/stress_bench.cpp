// Several selling counters on one small stock: K counters, each a process of its own with its own
// connection, sell random labels to random workers for T seconds through the counter's own logic
// (in-memory controls, a dialog seam that answers as an operator would and records every box).
// Each counter keeps the fate of every entry it scanned: refused at the scan, recorded, refused
// at the completion with a notice naming it, or dropped after a reported error (named as of
// unknown outcome when its write lost the connection, so that it may stand recorded). Afterwards an
// independent read as SYSDBA checks that every piece is accounted for, that no label was recorded
// twice and that the recorded purchases are exactly those the counters saw recorded.
//
// Run on demand:
//   build/bench/bench_stress [--counters K] [--seconds T] [--seed S] [--pause-ms P]
//                            [--crash-server]
//   K counters (default 4) for T seconds (default 60); S seeds the stock and the counters' choices
//   (printed, so a run can be repeated); each counter holds its basket a random 0..2P ms between
//   the last scan and the completion, as an operator talking to the buyer would (default 1000:
//   the stock lasts the run, and other counters sell meanwhile; 0 completes at once, flat out,
//   and the stock is gone within seconds).
//   --crash-server kills the database server once in the middle of the run; its guardian starts
//   a new one.
// Exits non-zero when a check fails or a counter does not end.
#include "core/Dialogs.h"
#include "core/GridTable.h"
#include "counter/SaleCounter.h"
#include "db/Catalogue.h"
#include "db/DbError.h"
#include "support/MemorySaleControls.h"
#include "support/TestDatabase.h"
#include "workers/WorkerDirectory.h"

#include <firebird/Interface.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSet>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

using qm::counter::BasketEntry;
using qm::counter::SaleCounter;

namespace {

// The stock: label keys 8001..8200, one article each, but every twentieth key (8010, 8030, ...)
// holds a corner sofa's left and right part under one key. 1 to 3 pieces per article.
constexpr int kFirstKey = 8001;
constexpr int kKeys = 200;
constexpr int kMostPieces = 3;
// The worker list: IDs 5001..5040, each held by one worker only.
constexpr int kFirstWorker = 5001;
constexpr int kWorkers = 40;

constexpr int kMostCounters = 32;
constexpr int kMostLabelsPerPurchase = 3;
constexpr int kCompletionTries = 3;
constexpr unsigned long kRetryPauseMs = 1000; // between completion tries after an error
constexpr unsigned long kErrorPauseMs = 250;  // an operator reading an error box at a scan
constexpr qint64 kGraceMs = 60'000;           // a counter still running T + this is killed

// The questions the counter asks, answered as the operator of this run does.
const QString kOfferStatement =
    QStringLiteral("Czy wygenerować oświadczenie dla obecnych zakupów?");
const QString kFinishPurchase = QStringLiteral("Czy zakończyć obecne zakupy?");
const QString kCancelPurchase = QStringLiteral("Czy na pewno anulować obecne zakupy?");
const QString kSoldOutRelease = QStringLiteral("Ten produkt został już wyprzedany");
const QString kSoldOutReleaseSure =
    QStringLiteral("Czy na pewno cofnąć zakup dla poprzedniej osoby");

bool pairedKey(int key) {
    return key % 20 == 10;
}

// The article names under a label key, in the order they are inserted.
QStringList articlesOf(int key) {
    if (pairedKey(key))
        return {QStringLiteral("Narożnik %1 lewy").arg(key),
                QStringLiteral("Narożnik %1 prawy").arg(key)};
    static const char* const kinds[] = {"Komoda dębowa", "Szafa przesuwna", "Fotel uszak",
                                        "Stół rozkładany", "Łóżko tapicerowane"};
    return {QStringLiteral("%1 %2").arg(QString::fromUtf8(kinds[key % 5])).arg(key)};
}

// Every label of the run is unique and all have the same length, so that no label is part of
// another and a notice naming one names no other: "CC-SSSSSS/KKKK/1".
QString labelText(int counter, int seq, int key) {
    return QStringLiteral("%1-%2/%3/1")
        .arg(counter, 2, 10, QLatin1Char('0'))
        .arg(seq, 6, 10, QLatin1Char('0'))
        .arg(key);
}

qint64 nowMs() {
    return QDateTime::currentMSecsSinceEpoch();
}

// One field of a report line: no tabs or line breaks.
QString field(QString text) {
    text.replace(QLatin1Char('\t'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QStringLiteral(" / "));
    text.remove(QLatin1Char('\r'));
    return text;
}

// The first line of a box's text as a report line carries it (line breaks shown as " / ").
QString firstLine(const QString& reported) {
    return reported.section(QStringLiteral(" / "), 0, 0);
}

struct Options {
    int counters = 4;
    int seconds = 60;
    quint32 seed = 0;
    bool seedGiven = false;
    int pauseMs = 1000;
    bool crashServer = false;
    // A counter's own run.
    int child = -1;
    qm::db::DeploymentSettings settings;
    QString out;
};

[[noreturn]] void usage(const QString& problem) {
    std::fprintf(stderr,
                 "bench_stress: %s\nusage: bench_stress [--counters K] [--seconds T] [--seed S] "
                 "[--pause-ms P] [--crash-server]\n",
                 problem.toLocal8Bit().constData());
    std::exit(2);
}

Options parseOptions(const QStringList& args) {
    Options o;
    const auto number = [&](qsizetype& i, int least, int most) {
        if (i + 1 >= args.size())
            usage(args[i] + QStringLiteral(" needs a value"));
        bool ok = false;
        const int n = args[++i].toInt(&ok);
        if (!ok || n < least || n > most)
            usage(QStringLiteral("%1 takes a whole number from %2 to %3")
                      .arg(args[i - 1])
                      .arg(least)
                      .arg(most));
        return n;
    };
    const auto text = [&](qsizetype& i) {
        if (i + 1 >= args.size())
            usage(args[i] + QStringLiteral(" needs a value"));
        return args[++i];
    };
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--counters"))
            o.counters = number(i, 1, kMostCounters);
        else if (a == QLatin1String("--seconds"))
            o.seconds = number(i, 1, 3600);
        else if (a == QLatin1String("--pause-ms"))
            o.pauseMs = number(i, 0, 60'000);
        else if (a == QLatin1String("--crash-server"))
            o.crashServer = true;
        else if (a == QLatin1String("--seed")) {
            bool ok = false;
            o.seed = text(i).toUInt(&ok);
            if (!ok)
                usage(QStringLiteral("--seed takes a whole number from 0 to 4294967295"));
            o.seedGiven = true;
        } else if (a == QLatin1String("--child"))
            o.child = number(i, 0, kMostCounters - 1);
        else if (a == QLatin1String("--server"))
            o.settings.server = text(i);
        else if (a == QLatin1String("--port"))
            o.settings.port = text(i);
        else if (a == QLatin1String("--database"))
            o.settings.database = text(i);
        else if (a == QLatin1String("--user"))
            o.settings.user = text(i);
        else if (a == QLatin1String("--charset"))
            o.settings.charset = text(i);
        else if (a == QLatin1String("--out"))
            o.out = text(i);
        else
            usage(QStringLiteral("unknown option %1").arg(a));
    }
    if (o.child >= 0 && o.out.isEmpty())
        usage(QStringLiteral("a counter's run needs --out"));
    // A counter's password comes in its environment, never on its command line.
    if (o.child >= 0)
        o.settings.password = qEnvironmentVariable("QUELMORA_DB_PASSWORD");
    return o;
}

// ---------------------------------------------------------------------------------------------
// One counter's run (a child process).

// The operator of a counter: answers every question as this run does and records each box with
// the moment it was shown.
class RecordingDialogs : public qm::Dialogs {
public:
    enum class Kind { Question, Notice, Error };
    struct Event {
        qint64 at;
        Kind kind;
        QString text;
    };

    qm::ModalResult messageDialog(const QString& message, qm::DialogKind,
                                  const QStringList&) override {
        events.push_back({nowMs(), Kind::Question, message});
        if (message == kOfferStatement)
            return qm::ModalResult::No;
        if (message == kFinishPurchase || message == kCancelPurchase)
            return qm::ModalResult::Yes;
        if (!message.startsWith(kSoldOutRelease) && !message.startsWith(kSoldOutReleaseSure))
            unexpected << QStringLiteral("question: ") + message;
        return qm::ModalResult::No;
    }
    void information(const QString& text) override {
        events.push_back({nowMs(), Kind::Notice, text});
    }
    void errorReport(const QString& text) override {
        events.push_back({nowMs(), Kind::Error, text});
    }
    QString inputBox(const QString& caption, const QString&, const QString& defaultText) override {
        unexpected << QStringLiteral("input box: ") + caption;
        return defaultText;
    }
    QString openFile(const QString&, const QString&) override {
        unexpected << QStringLiteral("file dialog");
        return {};
    }
    QString saveFile(const QString&, const QString&, const QString&) override {
        unexpected << QStringLiteral("save dialog");
        return {};
    }
    std::optional<qm::ReportOutput> chooseReportOutput(const QString&) override {
        unexpected << QStringLiteral("report output dialog");
        return std::nullopt;
    }
    void progress(const QString&, int, int) override {}
    void printPreview(const qm::PrintableDocument&) override {
        unexpected << QStringLiteral("print preview");
    }
    void print(const qm::PrintableDocument&, int) override {
        unexpected << QStringLiteral("printing");
    }

    std::vector<Event> events;
    QStringList unexpected;
};

class CounterRun {
public:
    explicit CounterRun(const Options& o)
        : index_(o.child), pauseMs_(o.pauseMs), connection_(o.settings), catalogue_(connection_),
          basketView_(SaleCounter::basketViewColumns()),
          checkView_(SaleCounter::checkViewColumns()),
          counter_(
              dialogs_, catalogue_, directory_, controls_, basketView_, checkView_, [] {},
              connection_.codec()) {
        std::seed_seq seq{o.seed, quint32(o.child) + 1};
        rng_.seed(seq);
        connection_.open();
        directory_.load(catalogue_, dialogs_);
        if (directory_.workerCount() != kWorkers || !dialogs_.events.empty())
            throw std::runtime_error("the worker directory did not load as made");
        counter_.cxSellTabSheetShow();
    }

    void run(qint64 until) {
        while (nowMs() < until)
            purchase();
    }

    void anomaly(const QString& text) { line({QStringLiteral("anomaly"), now(), field(text)}); }

    // The report: one line per fact, tab-separated, closed by "end".
    void write(const QString& path) {
        for (const QString& u : dialogs_.unexpected)
            anomaly(QStringLiteral("unexpected dialog: ") + u);
        dialogs_.unexpected.clear();
        line({QStringLiteral("purchases"), QString::number(purchases_)});
        line({QStringLiteral("end")});
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(report_.toUtf8()) < 0)
            throw std::runtime_error("cannot write the report " + path.toStdString());
    }

private:
    using Kind = RecordingDialogs::Kind;

    static QString now() { return QString::number(nowMs()); }

    void line(const QStringList& fields) { report_ += fields.join(QLatin1Char('\t')) + '\n'; }

    void fate(const char* what, const BasketEntry& e) {
        line({QStringLiteral("fate"), now(), QString::fromLatin1(what), workerId_, e.labelText,
              e.articleName});
    }

    // The boxes shown since `mark`, each noted in the report with where it was shown.
    std::vector<RecordingDialogs::Event> shownSince(size_t mark, const char* where) {
        std::vector<RecordingDialogs::Event> shown(dialogs_.events.begin() + qsizetype(mark),
                                                   dialogs_.events.end());
        for (const auto& e : shown)
            if (e.kind != Kind::Question)
                line({e.kind == Kind::Error ? QStringLiteral("error") : QStringLiteral("notice"),
                      QString::number(e.at), QString::fromLatin1(where), field(e.text)});
        return shown;
    }

    static bool anyError(const std::vector<RecordingDialogs::Event>& shown) {
        return std::any_of(shown.begin(), shown.end(),
                           [](const auto& e) { return e.kind == Kind::Error; });
    }

    // Whether a notice among the boxes names the entry: one of its lines holds the entry's label
    // text and its article's name. Both are needed, since the two articles of a corner sofa come
    // into the basket from one label; no label is part of another, nor is an article's name part
    // of another's under the same key.
    static bool namedIn(const std::vector<RecordingDialogs::Event>& shown, const BasketEntry& e) {
        return std::any_of(shown.begin(), shown.end(), [&](const auto& s) {
            if (s.kind != Kind::Notice)
                return false;
            const QStringList lines = s.text.split(QLatin1Char('\n'));
            return std::any_of(lines.begin(), lines.end(), [&](const QString& l) {
                return l.contains(e.labelText) && l.contains(e.articleName);
            });
        });
    }

    static bool contains(const std::vector<BasketEntry>& basket, const BasketEntry& e) {
        return std::find(basket.begin(), basket.end(), e) != basket.end();
    }

    bool guarded(const std::function<void()>& handler) { return qm::runGuarded(dialogs_, handler); }

    void purchase() {
        ++purchases_;
        workerId_ = QString::number(
            std::uniform_int_distribution<int>(kFirstWorker, kFirstWorker + kWorkers - 1)(rng_));
        controls_.chooseSellMode();
        guarded([&] { counter_.SellRadioButtonClick(); });
        controls_.workerId = workerId_;
        guarded([&] { counter_.WorkerIDEditKeyPress(SaleCounter::kEnter); });

        const int labels = std::uniform_int_distribution<int>(1, kMostLabelsPerPurchase)(rng_);
        for (int n = 0; n < labels; ++n)
            scan(std::uniform_int_distribution<int>(kFirstKey, kFirstKey + kKeys - 1)(rng_));

        // The operator talks to the buyer before completing: meanwhile other counters may sell
        // the same pieces.
        if (pauseMs_ > 0 && !counter_.arrayForShoppingProcess().empty())
            QThread::msleep(std::uniform_int_distribution<unsigned long>(
                0, 2 * static_cast<unsigned long>(pauseMs_))(rng_));
        for (int attempt = 1; !counter_.arrayForShoppingProcess().empty(); ++attempt) {
            if (attempt > kCompletionTries) {
                cancel();
                return;
            }
            if (attempt > 1)
                QThread::msleep(kRetryPauseMs);
            complete();
        }
        if (controls_.sell) // nothing was taken into the basket: the purchase is given up
            cancel();
    }

    // The label scanned in sell mode: each article under its key either enters the basket or is
    // refused with a box shown during this scan.
    void scan(int key) {
        const QString label = labelText(index_, ++seq_, key);
        const std::vector<BasketEntry> before = counter_.arrayForShoppingProcess();
        const size_t mark = dialogs_.events.size();
        controls_.productId = label;
        guarded([&] { counter_.ProductIDEditKeyPress(SaleCounter::kEnter); });
        const std::vector<BasketEntry>& after = counter_.arrayForShoppingProcess();
        const auto shown = shownSince(mark, "scan");
        const bool errorShown = anyError(shown);

        for (const BasketEntry& e : before)
            if (!contains(after, e))
                anomaly(QStringLiteral("entry %1 left the basket at the scan of %2")
                            .arg(e.labelText, label));
        const QStringList names = articlesOf(key);
        for (const BasketEntry& e : after)
            if (!contains(before, e) && (e.labelText != label || !names.contains(e.articleName)))
                anomaly(QStringLiteral("unknown entry %1 / %2 in the basket after the scan of %3")
                            .arg(e.labelText, e.articleName, label));
        for (const QString& name : names) {
            const BasketEntry e{name, label};
            if (contains(after, e))
                fate("scanned", e);
            else if (errorShown)
                fate("error-scan", e);
            else if (!shown.empty())
                fate("refused-scan", e);
            else
                fate("silent-scan", e);
        }
        if (errorShown)
            QThread::msleep(kErrorPauseMs);
    }

    // One completion: entries that left the basket are recorded, unless a notice shown during
    // this completion names them; entries that stay must come with an error report.
    void complete() {
        const std::vector<BasketEntry> before = counter_.arrayForShoppingProcess();
        const size_t mark = dialogs_.events.size();
        const qint64 start = nowMs();
        guarded([&] { counter_.FinalizeSellButtonClick(); });
        const qint64 took = nowMs() - start;
        const std::vector<BasketEntry>& after = counter_.arrayForShoppingProcess();
        const auto shown = shownSince(mark, "completion");
        const bool errorShown = anyError(shown);

        int recorded = 0;
        for (const BasketEntry& e : before) {
            if (contains(after, e))
                continue;
            const bool named = namedIn(shown, e);
            fate(named ? "refused-completion" : "recorded", e);
            recorded += named ? 0 : 1;
        }
        for (const BasketEntry& e : after)
            if (!contains(before, e))
                anomaly(QStringLiteral("new entry %1 in the basket after a completion")
                            .arg(e.labelText));
        if (!after.empty() && !errorShown)
            anomaly(QStringLiteral("a completion left %1 entries in the basket without an error "
                                   "report")
                        .arg(after.size()));
        line({QStringLiteral("try"), QString::number(start), QString::number(took),
              after.empty() ? QStringLiteral("1") : QStringLiteral("0"),
              QString::number(recorded)});
    }

    // The purchase given up: whatever is still in the basket is dropped; an entry that a notice
    // shown at the cancelling names is one whose write may have been recorded.
    void cancel() {
        const std::vector<BasketEntry> before = counter_.arrayForShoppingProcess();
        const size_t mark = dialogs_.events.size();
        guarded([&] { counter_.CancelCurrentSellingButtonClick(); });
        const auto shown = shownSince(mark, "cancel");
        for (const BasketEntry& e : before)
            fate(namedIn(shown, e) ? "dropped-unknown" : "dropped", e);
        if (!counter_.arrayForShoppingProcess().empty() || controls_.sell)
            anomaly(QStringLiteral("cancelling did not empty the basket"));
    }

    int index_;
    int pauseMs_;
    std::mt19937 rng_;
    qm::db::Connection connection_;
    qm::db::Catalogue catalogue_;
    qm::workers::WorkerDirectory directory_;
    RecordingDialogs dialogs_;
    qm::test::MemorySaleControls controls_;
    qm::GridTable basketView_;
    qm::GridTable checkView_;
    SaleCounter counter_;

    QString workerId_;
    int seq_ = 0;
    long purchases_ = 0;
    QString report_;
};

int runCounter(const Options& o) {
    std::unique_ptr<CounterRun> run;
    try {
        run = std::make_unique<CounterRun>(o);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_stress: counter %d could not start: %s\n", o.child, e.what());
        return 1;
    }
    // Ready: the run starts when the whole group is, at the word "go".
    std::printf("ready\n");
    std::fflush(stdout);
    char word[16] = {};
    if (!std::fgets(word, sizeof word, stdin) || std::strncmp(word, "go", 2) != 0)
        return 3;
    int rc = 0;
    try {
        run->run(nowMs() + qint64(o.seconds) * 1000);
    } catch (const std::exception& e) {
        run->anomaly(QStringLiteral("stopped: ") + QString::fromUtf8(e.what()));
        rc = 1;
    }
    try {
        run->write(o.out);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_stress: counter %d: %s\n", o.child, e.what());
        return 1;
    }
    return rc;
}

// ---------------------------------------------------------------------------------------------
// The run as a whole (the parent process).

struct Article {
    int key;
    QString name;
    int pieces;
};

// The value lines of an isql list-mode answer whose one column is called ROW_TEXT.
QStringList rowTexts(const QString& answer) {
    static const QString column = QStringLiteral("ROW_TEXT");
    QStringList rows;
    for (const QString& l : answer.split(QLatin1Char('\n')))
        if (l.startsWith(column) && (l.size() == column.size() || l.at(column.size()).isSpace()))
            rows << l.mid(column.size()).trimmed();
    return rows;
}

struct Fate {
    qint64 at;
    QString what, worker, label, name;
};
struct Box {
    qint64 at;
    QString where, text;
};

// What one counter reported.
struct CounterReport {
    bool complete = false; // the report was read and closed with "end"
    int exitCode = -1;
    bool killed = false;
    long purchases = 0;
    std::vector<Fate> fates;
    std::vector<Box> errors, notices;
    QStringList anomalies;
    struct Try {
        qint64 at, ms;
        bool ok;
        int recorded;
    };
    std::vector<Try> tries;
};

CounterReport readReport(const QString& path) {
    CounterReport r;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return r;
    for (const QString& l : QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'))) {
        const QStringList c = l.split(QLatin1Char('\t'));
        const QString& kind = c[0];
        if (kind == QLatin1String("fate") && c.size() == 6)
            r.fates.push_back({c[1].toLongLong(), c[2], c[3], c[4], c[5]});
        else if ((kind == QLatin1String("error") || kind == QLatin1String("notice")) &&
                 c.size() == 4)
            (kind == QLatin1String("error") ? r.errors : r.notices)
                .push_back({c[1].toLongLong(), c[2], c[3]});
        else if (kind == QLatin1String("anomaly") && c.size() == 3)
            r.anomalies << c[2];
        else if (kind == QLatin1String("try") && c.size() == 5)
            r.tries.push_back(
                {c[1].toLongLong(), c[2].toLongLong(), c[3] == QLatin1String("1"), c[4].toInt()});
        else if (kind == QLatin1String("purchases") && c.size() == 2)
            r.purchases = c[1].toLong();
        else if (kind == QLatin1String("end"))
            r.complete = true;
        else if (!l.isEmpty())
            r.anomalies << QStringLiteral("unreadable report line: ") + l;
    }
    return r;
}

// The kind of an error report, by its first line: the advice sentence of the two failures a
// counter meets under load, or the text itself for any other.
class ErrorKinds {
public:
    ErrorKinds()
        : lock_(qm::db::DbError(QString(), {isc_lock_conflict}, QString()).advice()),
          lost_(qm::db::DbError(QString(), {isc_network_error}, QString()).advice()) {}
    enum Kind { LockConflict, ConnectionLost, Other };
    Kind of(const QString& reported) const {
        const QString first = firstLine(reported);
        if (first == lock_)
            return LockConflict;
        if (first == lost_)
            return ConnectionLost;
        return Other;
    }

private:
    QString lock_, lost_;
};

double percentile(std::vector<qint64> v, double p) {
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return double(v[std::min(v.size() - 1, size_t(p * double(v.size() - 1) + 0.5))]);
}

class Checks {
public:
    void add(bool pass, const QString& what, const QStringList& details = {}) {
        std::printf("  %s  %s\n", pass ? "PASS" : "FAIL", what.toUtf8().constData());
        for (qsizetype i = 0; i < details.size() && i < 8; ++i)
            std::printf("          %s\n", details[i].toUtf8().constData());
        if (details.size() > 8)
            std::printf("          ... and %lld more\n",
                        static_cast<long long>(details.size() - 8));
        failed_ += pass ? 0 : 1;
    }
    int failed() const { return failed_; }

private:
    int failed_ = 0;
};

QString makeStock(std::mt19937& rng, std::vector<Article>& articles) {
    QString sql;
    std::uniform_int_distribution<int> pieces(1, kMostPieces);
    for (int key = kFirstKey; key < kFirstKey + kKeys; ++key)
        for (const QString& name : articlesOf(key)) {
            articles.push_back({key, name, pieces(rng)});
            sql += QStringLiteral("INSERT INTO ARTICLES (ODWO_ID, CODE, NAME, NAME_OF_FABRIC, "
                                  "NAME_OF_CORPUS, AMOUNT, QBM, PRICE) VALUES (%1, 'S-%1', "
                                  "'%2', 'Tkanina %1', 'Korpus %1', %3, 1.25, 899);\n")
                       .arg(key)
                       .arg(name)
                       .arg(articles.back().pieces);
        }
    static const char* const names[] = {"Anna", "Piotr", "Zofia", "Łukasz", "Małgorzata"};
    static const char* const surnames[] = {"Kowalska", "Wiśniewski", "Wójcik", "Żak", "Nowak"};
    for (int n = 0; n < kWorkers; ++n)
        sql += QStringLiteral("INSERT INTO WORKERS (REFERENCE_NUMBER, NAME, SURNAME, ADDRESS) "
                              "VALUES (%1, '%2', '%3', 'Jasienica');\n")
                   .arg(kFirstWorker + n)
                   .arg(QString::fromUtf8(names[n % 5]), QString::fromUtf8(surnames[n / 8 % 5]));
    return sql;
}

// "key|name" -> (amount, standing purchases), read as SYSDBA.
std::map<QString, std::pair<int, int>> stockNow(const qm::test::TestDatabase& db) {
    std::map<QString, std::pair<int, int>> stock;
    const QStringList rows = rowTexts(db.query(QStringLiteral(
        "SELECT A.ODWO_ID || '|' || A.NAME || '|' || A.AMOUNT || '|' || "
        "(SELECT COUNT(*) FROM PURCHASES P WHERE P.ARTICLE_ID = A.ARTICLE_ID AND "
        "P.CANCELLED_AT IS NULL) AS ROW_TEXT FROM ARTICLES A ORDER BY A.ARTICLE_ID;")));
    for (const QString& r : rows) {
        const QStringList c = r.split(QLatin1Char('|'));
        if (c.size() != 4)
            throw std::runtime_error("unreadable stock row: " + r.toStdString());
        stock[c[0] + QLatin1Char('|') + c[1]] = {c[2].toInt(), c[3].toInt()};
    }
    return stock;
}

void runCrash(qint64& crashAt, double& backAfter) {
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedChannels);
    crashAt = nowMs();
    p.start(QStringLiteral("bash"),
            {qm::test::sourceDir() + QStringLiteral("/tests/support/firebird-server.sh"),
             QStringLiteral("crash")});
    if (!p.waitForStarted(10'000) || !p.waitForFinished(60'000) ||
        p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        p.kill();
        p.waitForFinished(5'000);
        throw std::runtime_error("the server could not be crashed and brought back");
    }
    backAfter = double(nowMs() - crashAt) / 1000.0;
}

int runStress(Options o) {
    if (!o.seedGiven)
        o.seed = quint32(std::random_device{}());
    std::mt19937 rng(o.seed);

    qm::test::TestDatabase db(QStringLiteral("stress"));
    std::vector<Article> articles;
    db.sql(makeStock(rng, articles));
    const auto atStart = stockNow(db);
    int piecesAtStart = 0;
    for (const Article& a : articles) {
        const auto it = atStart.find(QString::number(a.key) + QLatin1Char('|') + a.name);
        if (it == atStart.end() || it->second != std::make_pair(a.pieces, 0))
            throw std::runtime_error("the stock was not stored as made");
        piecesAtStart += a.pieces;
    }
    if (atStart.size() != articles.size())
        throw std::runtime_error("the stock holds articles it was not made with");

    std::printf("bench_stress: %d counters, %d s, seed %u, baskets held 0..%d ms before "
                "completion%s\n",
                o.counters, o.seconds, o.seed, 2 * o.pauseMs,
                o.crashServer ? ", the server crashed once midway" : "");
    std::printf("stock: %d label keys, %zu articles, %d pieces; %d workers\n", kKeys,
                articles.size(), piecesAtStart, kWorkers);
    std::fflush(stdout);

    QTemporaryDir reports;
    if (!reports.isValid())
        throw std::runtime_error("no folder for the counters' reports");
    const qm::db::DeploymentSettings s = db.settings();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QUELMORA_DB_PASSWORD"), s.password);
    std::vector<std::unique_ptr<QProcess>> children;
    for (int i = 0; i < o.counters; ++i) {
        auto p = std::make_unique<QProcess>();
        p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p->setProcessEnvironment(env);
        p->start(
            QCoreApplication::applicationFilePath(),
            {QStringLiteral("--child"),    QString::number(i),
             QStringLiteral("--server"),   s.server,
             QStringLiteral("--port"),     s.port,
             QStringLiteral("--database"), s.database,
             QStringLiteral("--user"),     s.user,
             QStringLiteral("--charset"),  s.charset,
             QStringLiteral("--seed"),     QString::number(o.seed),
             QStringLiteral("--seconds"),  QString::number(o.seconds),
             QStringLiteral("--pause-ms"), QString::number(o.pauseMs),
             QStringLiteral("--out"),      reports.filePath(QStringLiteral("counter-%1").arg(i))});
        if (!p->waitForStarted(10'000))
            throw std::runtime_error("a counter could not be started");
        children.push_back(std::move(p));
    }
    // Each counter attaches and loads the worker list, then says it is ready; all start together,
    // so that the run's clock (and the crash midway) is the same for all.
    const qint64 setupEnds = nowMs() + kGraceMs;
    for (int i = 0; i < o.counters; ++i) {
        QProcess& p = *children[size_t(i)];
        while (!p.canReadLine() && p.state() == QProcess::Running && nowMs() < setupEnds)
            p.waitForReadyRead(int(std::max<qint64>(1, setupEnds - nowMs())));
        if (!p.canReadLine() || p.readLine().trimmed() != "ready")
            throw std::runtime_error("counter " + std::to_string(i) + " did not get ready");
    }
    const qint64 start = nowMs();
    for (const auto& p : children) {
        p->write("go\n");
        p->waitForBytesWritten(10'000);
        p->closeWriteChannel();
    }

    std::optional<qint64> crashAt;
    double backAfter = 0;
    if (o.crashServer) {
        const qint64 midway = start + qint64(o.seconds) * 500;
        while (nowMs() < midway)
            QThread::msleep(50);
        qint64 at = 0;
        runCrash(at, backAfter);
        crashAt = at;
    }

    const qint64 deadline = start + qint64(o.seconds) * 1000 + kGraceMs;
    std::vector<CounterReport> counters;
    for (int i = 0; i < o.counters; ++i) {
        QProcess& p = *children[size_t(i)];
        const bool ended = p.waitForFinished(int(std::max<qint64>(1, deadline - nowMs())));
        if (!ended) {
            p.kill();
            p.waitForFinished(10'000);
        }
        CounterReport r = readReport(reports.filePath(QStringLiteral("counter-%1").arg(i)));
        r.killed = !ended;
        r.exitCode = ended && p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        counters.push_back(std::move(r));
    }
    const double ranFor = double(nowMs() - start) / 1000.0;

    // The counters' own accounts.
    const ErrorKinds kinds;
    long purchases = 0, tries = 0, completions = 0;
    std::map<QString, long> fates;
    long errorsBy[3][3] = {}; // [where: scan, completion, cancel][kind]
    std::map<QString, long> noticeTexts;
    std::map<QString, std::pair<long, QString>> otherErrors; // first line -> count, an example
    QSet<QString> countedRecorded, countedDropped, countedUnknown, countedOther;
    QStringList anomalies;
    std::vector<qint64> tryMs;
    // label|name -> what happened to it, for the details of a failed check
    std::map<QString, QStringList> history;
    const auto since = [&](qint64 at) {
        return QStringLiteral("+%1 s").arg(double(at - start) / 1000, 0, 'f', 3);
    };
    for (size_t i = 0; i < counters.size(); ++i) {
        const CounterReport& r = counters[i];
        purchases += r.purchases;
        for (const auto& t : r.tries) {
            ++tries;
            completions += t.ok ? 1 : 0;
            if (t.ok && t.recorded > 0)
                tryMs.push_back(t.ms);
        }
        std::map<QString, int> entryFates; // label|name -> number of final fates
        for (const Fate& f : r.fates) {
            ++fates[f.what];
            const QString entry = f.label + QLatin1Char('|') + f.name;
            history[entry] << QStringLiteral("counter %1 %2 %3").arg(i).arg(f.what, since(f.at));
            if (f.what == QLatin1String("recorded"))
                countedRecorded << entry + QLatin1Char('|') + f.worker;
            else if (f.what == QLatin1String("dropped"))
                countedDropped << entry;
            else if (f.what == QLatin1String("dropped-unknown"))
                countedUnknown << entry;
            else if (f.what != QLatin1String("scanned"))
                countedOther << entry;
            if (f.what == QLatin1String("silent-scan"))
                anomalies << QStringLiteral("counter %1: %2 (%3) refused at the scan without a box")
                                 .arg(i)
                                 .arg(f.label, f.name);
            if (f.what == QLatin1String("recorded") || f.what == QLatin1String("dropped") ||
                f.what == QLatin1String("dropped-unknown") ||
                f.what == QLatin1String("refused-completion"))
                ++entryFates[entry];
            else if (f.what == QLatin1String("scanned"))
                entryFates.try_emplace(entry, 0);
        }
        for (const auto& [entry, n] : entryFates)
            if (n != 1)
                anomalies
                    << QStringLiteral("counter %1: %2 ended %3 times").arg(i).arg(entry).arg(n);
        const char* const places[] = {"scan", "completion", "cancel"};
        for (const Box& e : r.errors) {
            const auto at = std::find(std::begin(places), std::end(places), e.where.toStdString());
            const int where = int(std::min<std::ptrdiff_t>(at - std::begin(places), 2));
            const auto kind = kinds.of(e.text);
            ++errorsBy[where][kind];
            if (kind == ErrorKinds::Other) {
                auto& [n, example] = otherErrors[firstLine(e.text)];
                ++n;
                example = e.text;
            }
        }
        for (const Box& n : r.notices)
            ++noticeTexts[n.where + QStringLiteral(": ") + firstLine(n.text)];
        for (const QString& a : r.anomalies)
            anomalies << QStringLiteral("counter %1: %2").arg(i).arg(a);
    }
    const long refusedScan = fates["refused-scan"], errorScan = fates["error-scan"];
    const long scanned = fates["scanned"] + refusedScan + errorScan + fates["silent-scan"];
    const long recorded = fates["recorded"];

    std::printf("ran %.1f s: %ld purchases, %ld completions in %ld tries\n", ranFor, purchases,
                completions, tries);
    std::printf("entries scanned %ld: into the basket %ld, refused at the scan %ld (sold out %ld, "
                "after an error %ld)\n",
                scanned, fates["scanned"], refusedScan + errorScan, refusedScan, errorScan);
    std::printf("  of those in the basket: recorded %ld, refused at completion (reported) %ld, "
                "dropped after a reported error %ld (%ld of them named as of unknown outcome)\n",
                recorded, fates["refused-completion"], fates["dropped"] + fates["dropped-unknown"],
                fates["dropped-unknown"]);
    const char* const kindNames[] = {"lock conflict", "connection lost", "other"};
    for (int k = 0; k < 3; ++k)
        std::printf("errors reported, %s: %ld (at a scan %ld, at completion %ld, at cancelling "
                    "%ld)\n",
                    kindNames[k], errorsBy[0][k] + errorsBy[1][k] + errorsBy[2][k], errorsBy[0][k],
                    errorsBy[1][k], errorsBy[2][k]);
    for (const auto& [first, seen] : otherErrors)
        std::printf("  %5ld x %s\n          e.g. %s\n", seen.first, first.toUtf8().constData(),
                    seen.second.left(200).toUtf8().constData());
    for (const auto& [text, n] : noticeTexts)
        std::printf("notice %5ld x %s\n", n, text.toUtf8().constData());
    // Flat out, the stock is gone long before the run ends: the rate while sales went on says
    // more than the rate over the whole run.
    qint64 firstSale = 0, lastSale = 0;
    for (const CounterReport& r : counters)
        for (const Fate& f : r.fates)
            if (f.what == QLatin1String("recorded")) {
                firstSale = firstSale == 0 ? f.at : std::min(firstSale, f.at);
                lastSale = std::max(lastSale, f.at);
            }
    const double selling = double(lastSale - firstSale) / 1000;
    std::printf("sales: %ld recorded entries, %.2f per second over the %d s", recorded,
                double(recorded) / o.seconds, o.seconds);
    if (recorded > 1 && selling > 0)
        std::printf(", %.1f per second from the first to the last (%.1f s)",
                    double(recorded - 1) / selling, selling);
    std::printf("\ncompletions that recorded: median %.0f ms, 95th percentile %.0f ms, slowest "
                "%.0f ms\n",
                percentile(tryMs, 0.5), percentile(tryMs, 0.95), percentile(tryMs, 1.0));

    if (crashAt) {
        const double crashS = double(*crashAt - start) / 1000.0;
        long after[3] = {};
        qint64 lastError = 0;
        for (const CounterReport& r : counters)
            for (const Box& e : r.errors)
                if (e.at >= *crashAt) {
                    ++after[kinds.of(e.text)];
                    lastError = std::max(lastError, e.at);
                }
        std::printf("crash: the server was killed %.1f s into the run and accepted connections "
                    "again %.1f s later\n",
                    crashS, backAfter);
        std::printf("  errors after it: %ld (lock conflict %ld, connection lost %ld, other %ld)",
                    after[0] + after[1] + after[2], after[0], after[1], after[2]);
        if (lastError > 0)
            std::printf(", the last %.1f s after the crash", double(lastError - *crashAt) / 1000);
        std::printf("\n");
        QStringList resumed;
        for (size_t i = 0; i < counters.size(); ++i) {
            std::optional<qint64> first;
            for (const Fate& f : counters[i].fates)
                if (f.what == QLatin1String("recorded") && f.at >= *crashAt &&
                    (!first || f.at < *first))
                    first = f.at;
            resumed << (first ? QStringLiteral("%1 s").arg(double(*first - *crashAt) / 1000, 0, 'f',
                                                           1)
                              : QStringLiteral("never"));
        }
        std::printf("  each counter's first recorded sale after the crash: %s\n",
                    resumed.join(QStringLiteral(", ")).toUtf8().constData());
    }

    // The independent read.
    std::printf("checks (read as SYSDBA):\n");
    Checks checks;
    QStringList dead;
    for (size_t i = 0; i < counters.size(); ++i) {
        const CounterReport& r = counters[i];
        if (r.killed)
            dead << QStringLiteral("counter %1 still ran after %2 s and was killed")
                        .arg(i)
                        .arg(o.seconds + kGraceMs / 1000);
        else if (r.exitCode != 0)
            dead << QStringLiteral("counter %1 ended with exit code %2").arg(i).arg(r.exitCode);
        if (!r.complete)
            dead << QStringLiteral("counter %1 left no complete report").arg(i);
    }
    checks.add(dead.isEmpty(), QStringLiteral("every counter ended on time and reported"), dead);

    const auto atEnd = stockNow(db);
    QStringList unbalanced, negative;
    int piecesLeft = 0;
    for (const auto& [article, before] : atStart) {
        const auto it = atEnd.find(article);
        if (it == atEnd.end()) {
            unbalanced << article + QStringLiteral(": gone");
            continue;
        }
        const auto [amount, standing] = it->second;
        piecesLeft += amount;
        if (before.first != amount + standing)
            unbalanced << QStringLiteral("%1: %2 at the start, %3 now, %4 standing purchases")
                              .arg(article)
                              .arg(before.first)
                              .arg(amount)
                              .arg(standing);
        if (amount < 0)
            negative << QStringLiteral("%1: %2").arg(article).arg(amount);
    }
    if (atEnd.size() != atStart.size())
        unbalanced << QStringLiteral("%1 articles now, %2 at the start")
                          .arg(atEnd.size())
                          .arg(atStart.size());
    checks.add(unbalanced.isEmpty(),
               QStringLiteral("pieces at the start = amount now + standing purchases, for each of "
                              "%1 articles (%2 of %3 pieces left)")
                   .arg(atStart.size())
                   .arg(piecesLeft)
                   .arg(piecesAtStart),
               unbalanced);
    checks.add(negative.isEmpty(), QStringLiteral("no amount below 0"), negative);

    const QStringList twice = rowTexts(db.query(
        QStringLiteral("SELECT LABEL || '|' || NAME || '|' || COUNT(*) AS ROW_TEXT FROM PURCHASES "
                       "GROUP BY LABEL, NAME HAVING COUNT(*) > 1;")));
    checks.add(twice.isEmpty(), QStringLiteral("no label recorded twice"), twice);

    const QStringList rows = rowTexts(db.query(
        QStringLiteral("SELECT LABEL || '|' || NAME || '|' || COALESCE(USER_ID, '') || '|' || "
                       "IIF(CANCELLED_AT IS NULL, 'S', 'C') AS ROW_TEXT FROM PURCHASES;")));
    QSet<QString> inDatabase;
    QStringList cancelled;
    for (const QString& r : rows) {
        const QString entry = r.section(QLatin1Char('|'), 0, 2);
        if (r.endsWith(QLatin1String("|C")))
            cancelled << entry + QStringLiteral(": cancelled, though no counter released a sale");
        else
            inDatabase << entry;
    }
    // What the counters saw of an entry: its fates and the boxes naming its label.
    const auto seen = [&](const QString& e) {
        const QString entry = e.section(QLatin1Char('|'), 0, 1);
        const QString label = e.section(QLatin1Char('|'), 0, 0);
        QStringList lines = history[entry];
        for (size_t i = 0; i < counters.size(); ++i)
            for (const auto* boxes : {&counters[i].errors, &counters[i].notices})
                for (const Box& b : *boxes)
                    if (b.text.contains(label))
                        lines << QStringLiteral("counter %1 box at %2 %3: %4")
                                     .arg(i)
                                     .arg(b.where, since(b.at), b.text.left(160));
        return QStringLiteral("\n            ") + lines.join(QStringLiteral("\n            "));
    };
    QStringList lost, phantom;
    for (const QString& e : countedRecorded)
        if (!inDatabase.contains(e))
            lost << e + QStringLiteral(": counted recorded, not in the database (silent loss)") +
                        seen(e);
    // An entry dropped with a notice that its write may have been recorded may stand either way:
    // the operator was told to look it up.
    int unknownStanding = 0;
    for (const QString& e : inDatabase) {
        if (countedRecorded.contains(e))
            continue;
        const QString entry = e.section(QLatin1Char('|'), 0, 1);
        if (countedUnknown.contains(entry)) {
            ++unknownStanding;
            continue;
        }
        phantom << e +
                       (countedDropped.contains(entry)
                            ? QStringLiteral(": in the database, dropped after an error")
                        : countedOther.contains(entry)
                            ? QStringLiteral(": in the database, refused with a box")
                            : QStringLiteral(": in the database, no counter recorded it")) +
                       seen(e);
    }
    std::sort(lost.begin(), lost.end());
    std::sort(phantom.begin(), phantom.end());
    checks.add(lost.isEmpty() && phantom.isEmpty() && cancelled.isEmpty(),
               QStringLiteral("standing purchases (label, article, buyer) = those the counters "
                              "count as recorded: %1 in the database, %2 counted; %3 missing, %4 "
                              "extra, %5 cancelled; %6 of %7 named as of unknown outcome stand")
                   .arg(inDatabase.size())
                   .arg(countedRecorded.size())
                   .arg(lost.size())
                   .arg(phantom.size())
                   .arg(cancelled.size())
                   .arg(unknownStanding)
                   .arg(countedUnknown.size()),
               lost + phantom + cancelled);
    anomalies.sort();
    checks.add(anomalies.isEmpty(),
               QStringLiteral("every refusal reported, every entry ended once (%1 anomalies)")
                   .arg(anomalies.size()),
               anomalies);
    checks.add(recorded > 0, QStringLiteral("the counters sold something"));
    std::printf("%s\n", checks.failed() == 0 ? "all checks passed" : "CHECKS FAILED");
    return checks.failed() == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("bench-stress"));
    const Options o = parseOptions(QCoreApplication::arguments());
    if (o.child >= 0)
        return runCounter(o);
    try {
        return runStress(o);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_stress: %s\n", e.what());
    }
    return 1;
}
