#include "QtDialogs.h"

#include "PrintServices.h"

#include <QAbstractButton>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QUrl>

namespace qm::ui {

namespace {

// Message boxes stand in the middle of the screen, as the program's notices always have.
void centreOnScreen(QWidget& box) {
    box.adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        box.move(screen->availableGeometry().center() - box.rect().center());
}

QMessageBox::Icon iconOf(DialogKind kind) {
    switch (kind) {
    case DialogKind::Warning:
        return QMessageBox::Warning;
    case DialogKind::Error:
        return QMessageBox::Critical;
    case DialogKind::Information:
        return QMessageBox::Information;
    case DialogKind::Confirmation:
        return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

void notice(QWidget* parent, QMessageBox::Icon icon, const QString& text) {
    QMessageBox box(icon, applicationTitle(), text, QMessageBox::Ok, parent);
    box.button(QMessageBox::Ok)->setText(QStringLiteral("OK"));
    centreOnScreen(box);
    box.exec();
}

QString startFolder(const QString& initialDir) {
    return initialDir.isEmpty() ? QDir::currentPath() : initialDir;
}

} // namespace

QString qtFileFilter(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList qt;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts[i].trimmed();
        QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& p : patterns)
            p = p.trimmed();
        // Qt takes the patterns from the parentheses of the description.
        qt << (description.contains(QLatin1Char('('))
                   ? description
                   : description + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) +
                         QLatin1Char(')'));
    }
    return qt.isEmpty() ? filter : qt.join(QStringLiteral(";;"));
}

QString defaultExtension(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    if (parts.size() < 2)
        return {};
    const QString first = parts[1].split(QLatin1Char(';'), Qt::SkipEmptyParts).value(0).trimmed();
    return first.startsWith(QStringLiteral("*.")) && first.indexOf(QLatin1Char('*'), 1) < 0
               ? first.mid(2)
               : QString();
}

ModalResult QtDialogs::messageDialog(const QString& message, DialogKind kind,
                                     const QStringList& captions) {
    QMessageBox box(iconOf(kind),
                    kind == DialogKind::Confirmation ? QStringLiteral("Confirm")
                                                     : applicationTitle(),
                    message, QMessageBox::NoButton, parent_);
    // Yes then No, in that order; the k-th caption names the k-th button.
    QAbstractButton* yes = box.addButton(QMessageBox::Yes);
    QAbstractButton* no = box.addButton(QMessageBox::No);
    QAbstractButton* buttons[] = {yes, no};
    for (int k = 0; k < 2 && k < captions.size(); ++k)
        buttons[k]->setText(captions[k]);
    box.setDefaultButton(static_cast<QPushButton*>(yes));
    box.setEscapeButton(no);
    centreOnScreen(box);
    box.exec();
    if (box.clickedButton() == yes)
        return ModalResult::Yes;
    if (box.clickedButton() == no)
        return ModalResult::No;
    return ModalResult::None;
}

void QtDialogs::information(const QString& text) {
    notice(parent_, QMessageBox::NoIcon, text);
}

void QtDialogs::errorReport(const QString& text) {
    notice(parent_, QMessageBox::Critical, text);
}

QString QtDialogs::inputBox(const QString& caption, const QString& prompt,
                            const QString& defaultText) {
    bool ok = false;
    const QString text =
        QInputDialog::getText(parent_, caption, prompt, QLineEdit::Normal, defaultText, &ok);
    return ok ? text : defaultText;
}

QString QtDialogs::openFile(const QString& initialDir, const QString& filter) {
    return QFileDialog::getOpenFileName(parent_, QString(), startFolder(initialDir),
                                        qtFileFilter(filter));
}

QString QtDialogs::saveFile(const QString& initialDir, const QString& filter,
                            const QString& suggestedName) {
    // The dialog asks before an existing file is replaced; a name typed without an extension
    // gets the filter's first one.
    QFileDialog dialog(parent_, QString(), startFolder(initialDir), qtFileFilter(filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    const QString extension = defaultExtension(filter);
    if (!extension.isEmpty())
        dialog.setDefaultSuffix(extension);
    dialog.selectFile(suggestedName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().first();
}

std::optional<ReportOutput> QtDialogs::chooseReportOutput(const QString& title) {
    return chooseReportOutputDialog(parent_, title);
}

void QtDialogs::progress(const QString& text, int done, int total) {
    showProgress(parent_, text, done, total);
}

void QtDialogs::printPreview(const PrintableDocument& document) {
    showPrintPreview(parent_, document, *this);
}

void QtDialogs::print(const PrintableDocument& document, int copies) {
    printDocument(parent_, document, copies);
}

bool QtDialogs::openDocument(const QString& path) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

} // namespace qm::ui
