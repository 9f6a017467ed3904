// Grid reports on demand: the CSV file of a large sales listing and the PDF of a long one, with
// time and peak memory. Each measurement runs in a child process of its own, so that its peak
// memory is its own; the PDF is measured at several lengths to show what memory grows with.
//
//   build/bench/bench_report                 CSV of 100,000 rows; PDFs of 2,500 to 10,000 rows
//   build/bench/bench_report csv|pdf ROWS    one measurement
#include "BenchSupport.h"
#include "core/GridTable.h"
#include "printing/CsvOutput.h"
#include "printing/PdfOutput.h"
#include "reports/GridReport.h"

#include <QApplication>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <sys/resource.h>

using namespace qm;

namespace {

long peakKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// A sales listing as the sales tab shows it: eight text columns of the usual lengths.
std::unique_ptr<GridTable> salesListing(int rows) {
    auto grid = std::make_unique<GridTable>(
        std::vector<GridColumn>{{QStringLiteral("PRACOWNIK_ID"), 85, false},
                                {QStringLiteral("ETYKIETA"), 211, false},
                                {QStringLiteral("ODWO_ID"), 147, false},
                                {QStringLiteral("DATA ZAKUPU"), 204, false},
                                {QStringLiteral("ADRES"), 179, false},
                                {QStringLiteral("KOD_POCZTOWY"), 100, false},
                                {QStringLiteral("ULICA"), 221, false},
                                {QStringLiteral("ZAKLAD"), 143, false}});
    grid->beginBulk();
    for (int r = 0; r < rows; ++r) {
        const int row = grid->appendRow();
        grid->setText(row, 0, QString::number(1000 + r % 5000));
        grid->setText(row, 1, QStringLiteral("12/%1/78").arg(7000 + r));
        grid->setText(row, 2, QString::number(500000 + r));
        grid->setText(row, 3,
                      QStringLiteral("2026-12-%1 10:%2:00")
                          .arg(r % 28 + 1, 2, 10, QLatin1Char('0'))
                          .arg(r % 60, 2, 10, QLatin1Char('0')));
        grid->setText(row, 4, QStringLiteral("Swarzędz"));
        grid->setText(row, 5, QStringLiteral("62-020"));
        grid->setText(row, 6, QStringLiteral("ul. Przemysłowa %1 m. %2").arg(r % 200).arg(r % 40));
        grid->setText(row, 7, QStringLiteral("Zakład %1").arg(r % 4 + 1));
    }
    grid->endBulk();
    return grid;
}

// Counts how often the progress window is asked for.
class CountingDialogs : public bench::YesDialogs {
public:
    void progress(const QString&, int, int) override { ++progressCalls; }
    long progressCalls = 0;
};

int measure(const QString& what, int rows) {
    QTemporaryDir dir;
    const long before = peakKb();
    const auto grid = salesListing(rows);
    const long withGrid = peakKb();
    const auto start = bench::Clock::now();
    double seconds = 0;
    QString path;
    int pages = 0;
    long progressCalls = 0;
    if (what == QLatin1String("csv")) {
        path = dir.filePath(QStringLiteral("raport.csv"));
        printing::writeCsv(path, *grid, grid->displayOrder());
        seconds = bench::seconds(start);
    } else {
        path = dir.filePath(QStringLiteral("raport.pdf"));
        CountingDialogs dialogs;
        {
            DelayedProgress progress(dialogs, QStringLiteral("Generowanie raportu…"));
            auto settings = reports::reportPageSettings(reports::ReportKind::AllWorkersSales);
            settings.progress = [&](int done, int total) { progress.step(done, total); };
            const auto document = printing::PagedTableDocument::fromGrid(std::move(settings), *grid,
                                                                         grid->displayOrder());
            pages = document->pageCount();
            printing::writePdf(*document, path);
        }
        seconds = bench::seconds(start);
        progressCalls = dialogs.progressCalls;
    }
    const long after = peakKb();
    std::printf("%s rows=%d pages=%d time=%.2fs file=%.1fMB peak: start=%ldkB grid=+%ldkB "
                "writing=+%ldkB (%.2fkB a row) progress-calls=%ld\n",
                qPrintable(what), rows, pages, seconds, QFileInfo(path).size() / 1048576.0, before,
                withGrid - before, after - withGrid, double(after - withGrid) / rows,
                progressCalls);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 3)
        return measure(args[1], args[2].toInt());

    const std::pair<const char*, int> runs[] = {
        {"csv", 100000}, {"pdf", 2500}, {"pdf", 5000}, {"pdf", 10000}};
    for (const auto& [what, rows] : runs) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        child.start(app.applicationFilePath(), {QString::fromLatin1(what), QString::number(rows)});
        child.waitForFinished(-1);
    }
    return 0;
}
