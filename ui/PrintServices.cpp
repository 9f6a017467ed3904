#include "PrintServices.h"

#include "printing/PdfOutput.h"
#include "printing/ReportRoad.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QToolBar>
#include <QVBoxLayout>

namespace qm::ui {

namespace {

bool printerInstalled() {
    return !QPrinterInfo::availablePrinters().isEmpty();
}

// A printer set to the document's paper, with the painter's origin at the paper's corner. In full
// page mode the document's own margins are accepted even where the printer cannot print so close
// to the edge; a printer that refuses the layout still gets the paper size and orientation.
void preparePrinter(QPrinter& printer, const qm::PrintableDocument& document) {
    printer.setFullPage(true);
    QPageLayout layout = document.pageLayout();
    layout.setMode(QPageLayout::FullPageMode);
    if (!printer.setPageLayout(layout)) {
        printer.setPageSize(layout.pageSize());
        printer.setPageOrientation(layout.orientation());
    }
    printer.setDocName(document.title());
}

} // namespace

std::optional<qm::ReportOutput> chooseReportOutputDialog(QWidget* parent, const QString& title) {
    QDialog dialog(parent);
    dialog.setWindowTitle(title);

    auto* destinations = new QGroupBox(QStringLiteral("Wydruk do"), &dialog);
    auto* preview = new QRadioButton(QStringLiteral("Podgląd na ekranie"), destinations);
    auto* printer = new QRadioButton(QStringLiteral("Drukarka"), destinations);
    auto* file = new QRadioButton(QStringLiteral("Plik PDF"), destinations);
    preview->setChecked(true);
    printer->setEnabled(printerInstalled());
    if (!printer->isEnabled())
        printer->setToolTip(QStringLiteral("Nie zainstalowano żadnej drukarki."));
    auto* destinationLayout = new QVBoxLayout(destinations);
    destinationLayout->addWidget(preview);
    destinationLayout->addWidget(printer);
    destinationLayout->addWidget(file);

    auto* copies = new QSpinBox(&dialog);
    copies->setRange(1, 999);
    copies->setValue(1);
    auto* copiesRow = new QFormLayout;
    copiesRow->addRow(QStringLiteral("Liczba kopii:"), copies);

    auto* buttons = new QDialogButtonBox(&dialog);
    buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(QStringLiteral("Anuluj"), QDialogButtonBox::RejectRole);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);

    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(destinations);
    layout->addLayout(copiesRow);
    layout->addWidget(buttons);

    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    qm::ReportOutput output;
    output.copies = copies->value();
    if (printer->isChecked())
        output.destination = qm::ReportOutput::Destination::Printer;
    else if (file->isChecked())
        output.destination = qm::ReportOutput::Destination::File;
    return output;
}

void showPrintPreview(QWidget* parent, const qm::PrintableDocument& document,
                      qm::Dialogs& dialogs) {
    QPrinter printer(QPrinter::HighResolution);
    preparePrinter(printer, document);
    QPrintPreviewDialog dialog(&printer, parent);
    dialog.setWindowTitle(document.title());
    QString failure;
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [&](QPrinter* target) {
        try {
            document.paint(*target);
        } catch (const qm::AppError& e) {
            if (failure.isEmpty())
                failure = e.text();
        }
    });
    if (auto* toolbar = dialog.findChild<QToolBar*>()) {
        toolbar->addSeparator();
        QAction* save = toolbar->addAction(QStringLiteral("Zapisz jako PDF"));
        save->setToolTip(QStringLiteral("Zapisz jako PDF"));
        QObject::connect(save, &QAction::triggered, &dialog, [&] {
            const QString path = printing::askPdfPath(dialogs, document.title());
            if (!path.isEmpty())
                qm::runGuarded(dialogs, [&] { printing::writePdf(document, path); });
        });
    }
    dialog.exec();
    if (!failure.isEmpty())
        throw qm::AppError(failure);
}

void printDocument(QWidget* /*parent*/, const qm::PrintableDocument& document, int copies) {
    if (!printerInstalled())
        throw qm::AppError(QStringLiteral("Nie zainstalowano żadnej drukarki."));
    QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull())
        info = QPrinterInfo::availablePrinters().first();
    QPrinter printer(info, QPrinter::HighResolution);
    preparePrinter(printer, document);
    printer.setCopyCount(std::max(1, copies));
    document.paint(printer);
    if (printer.printerState() == QPrinter::Error || printer.printerState() == QPrinter::Aborted)
        throw qm::AppError(
            QStringLiteral("Drukowanie na drukarce %1 nie powiodło się.").arg(info.printerName()));
}

void showProgress(QWidget* parent, const QString& text, int done, int total) {
    static QPointer<QProgressDialog> window;
    if (done >= total) {
        if (window) {
            window->close();
            delete window.data();
        }
        return;
    }
    if (!window) {
        window = new QProgressDialog(text, QString(), 0, total, parent);
        window->setWindowTitle(qm::applicationTitle());
        window->setWindowModality(Qt::ApplicationModal);
        window->setMinimumDuration(0);
        window->setAutoClose(false);
        window->setAutoReset(false);
    }
    window->setLabelText(text);
    window->setMaximum(total);
    window->setValue(done);
    window->show();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

QPageSize defaultPaperSize() {
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (!info.isNull()) {
        const QPageSize size = info.defaultPageSize();
        if (size.isValid())
            return size;
    }
    return QPageSize(QPageSize::Letter);
}

} // namespace qm::ui
