#include "GridReport.h"

#include "core/Dialogs.h"
#include "core/GridTable.h"
#include "printing/CsvOutput.h"
#include "printing/PdfOutput.h"
#include "printing/ReportRoad.h"

#include <QDir>
#include <QFileInfo>
#include <QPageSize>

namespace qm::reports {

namespace {

constexpr double kPixelPoints = 72.0 / 96.0;

const QString kGenerate = QStringLiteral("Czy na pewno wygenerować raport?");
const QString kWhichForm = QStringLiteral("Jaka forma raportu jest dla Ciebie odpowiednia?");
const QString kCsvSaved =
    QStringLiteral("Plik z rozszerzeniem CSV został zapisany w lokalizacji, w której znajduje się "
                   "program (plik .exe), czyli: ");
const QString kPdfNotOpened =
    QStringLiteral("Raport PDF został zapisany, ale nie udało się go otworzyć: brak programu do "
                   "przeglądania plików PDF. Plik raportu: ");
const QString kProgress = QStringLiteral("Generowanie raportu…");

void writePdfReport(Dialogs& dialogs, const GridTable& grid, ReportKind kind) {
    const QString path = printing::askPdfPath(dialogs, reportName(kind));
    if (path.isEmpty())
        return;
    {
        DelayedProgress progress(dialogs, kProgress);
        printing::PagedTableSettings settings = reportPageSettings(kind);
        settings.progress = [&progress](int done, int total) { progress.step(done, total); };
        const auto document =
            printing::PagedTableDocument::fromGrid(std::move(settings), grid, grid.displayOrder());
        printing::writePdf(*document, path);
    }
    if (!dialogs.openDocument(path))
        dialogs.information(kPdfNotOpened + QStringLiteral("\r\n") +
                            QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()));
}

void writeCsvReport(Dialogs& dialogs, const GridTable& grid, ReportKind kind) {
    const QDir folder = QDir::current();
    printing::writeCsv(folder.absoluteFilePath(reportName(kind) + QStringLiteral(".csv")), grid,
                       grid.displayOrder());
    dialogs.information(kCsvSaved + QStringLiteral("\r\n") +
                        QDir::toNativeSeparators(folder.absolutePath()));
}

} // namespace

ReportKind salesReportKind(bool allSellsChecked, bool workerIdChecked, bool dateRangeChecked) {
    if (allSellsChecked)
        return ReportKind::AllWorkersSales;
    if (workerIdChecked)
        return ReportKind::WorkerSales;
    if (dateRangeChecked)
        return ReportKind::DateRangeSales;
    return ReportKind::None;
}

QString reportTitle(ReportKind kind) {
    switch (kind) {
    case ReportKind::AllWorkersSales:
        return QStringLiteral("RAPORT SPRZEDAŻY DLA WSZYSTKICH PRACOWNIKÓW");
    case ReportKind::WorkerSales:
        return QStringLiteral("RAPORT SPRZEDAŻY DLA WYBRANEGO PRACOWNIKA");
    case ReportKind::DateRangeSales:
        return QStringLiteral("RAPORT SPRZEDAŻY DLA WYBRANEGO ZAKRESU DAT");
    case ReportKind::ImportErrors:
        return QStringLiteral("UZYSKANE BŁĘDY PODCZAS IMPORTU PLIKU CSV");
    case ReportKind::Articles:
        return QStringLiteral("WSZYSTKIE ARTYKUŁY ZNAJDUJĄCE SIĘ W BAZIE");
    case ReportKind::None:
        break;
    }
    return {};
}

QString reportName(ReportKind kind) {
    switch (kind) {
    case ReportKind::AllWorkersSales:
        return QStringLiteral("QXR_Raport_sprzedazy_dla_wszystkich_pracownikow");
    case ReportKind::WorkerSales:
        return QStringLiteral("QXR_Raport_sprzedazy_dla_wybranego_pracownika");
    case ReportKind::DateRangeSales:
        return QStringLiteral("QXR_Raport_sprzedazy_dla_wybranego_zakresu_dat");
    case ReportKind::ImportErrors:
        return QStringLiteral("QXR_Uzyskane_bledy_podczas_importu_pliku_CSV");
    case ReportKind::Articles:
        return QStringLiteral("QXR_Wszystkie_artykuly_znajdujace_sie_w_bazie");
    case ReportKind::None:
        break;
    }
    return {};
}

printing::PagedTableSettings reportPageSettings(ReportKind kind) {
    using printing::PageBand;
    printing::PagedTableSettings s;
    s.title = reportName(kind);
    s.layout = QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                           QMarginsF(19.5, 24.8, 19.5, 20.9), QPageLayout::Millimeter);
    s.header = {14.5, {reportTitle(kind)}, Qt::AlignHCenter, PageBand::Anchor::Top, false};
    s.footer = {14.5, {}, Qt::AlignHCenter, PageBand::Anchor::Bottom, true};
    s.bandFamily = QStringLiteral("Tahoma");
    s.bandPoints = 13 * kPixelPoints;
    if (kind == ReportKind::AllWorkersSales) {
        s.tableFamily = QStringLiteral("Tahoma");
        s.tablePoints = 12 * kPixelPoints;
    } else {
        s.tableFamily = QStringLiteral("Times New Roman");
        s.tablePoints = 8;
    }
    s.scaling = printing::TableScaling::Actual;
    return s;
}

std::unique_ptr<printing::PagedTableDocument> reportDocument(ReportKind kind,
                                                             const GridTable& grid) {
    return printing::PagedTableDocument::fromGrid(reportPageSettings(kind), grid,
                                                  grid.displayOrder());
}

void generateReport(Dialogs& dialogs, const GridTable& grid, ReportKind kind) {
    if (!askYesNo(dialogs, kGenerate))
        return;
    if (kind == ReportKind::None)
        return;
    // PDF is the Yes button; anything else, Escape and closing the box included, is CSV.
    if (MyMessageDialog(dialogs, kWhichForm, DialogKind::Confirmation,
                        {QStringLiteral("PDF"), QStringLiteral("CSV")}) == ModalResult::Yes)
        writePdfReport(dialogs, grid, kind);
    else
        writeCsvReport(dialogs, grid, kind);
}

} // namespace qm::reports
