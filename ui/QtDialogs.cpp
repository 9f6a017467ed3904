#include "QtDialogs.h"

#include "PrintServices.h"

#include <QAbstractButton>
#include <QDesktopServices>
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

} // namespace

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
    return QFileDialog::getOpenFileName(parent_, QString(), initialDir, filter);
}

QString QtDialogs::qtFileFilter(const QString& filter) {
    if (!filter.contains(QLatin1Char('|')))
        return filter;
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (int i = 0; i < parts.size(); i += 2) {
        const QString description = parts[i].trimmed();
        QStringList patterns;
        if (i + 1 < parts.size())
            for (const QString& p : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts))
                patterns << p.trimmed();
        if (description.isEmpty() && patterns.isEmpty())
            continue;
        // Qt takes the patterns from the description's last parentheses.
        const QString joined = patterns.join(QLatin1Char(' '));
        if (description.endsWith(QLatin1Char(')')) && description.contains(QLatin1Char('(')))
            filters << description;
        else
            filters << QStringLiteral("%1 (%2)").arg(description, joined);
    }
    return filters.join(QLatin1String(";;"));
}

QString QtDialogs::defaultSuffix(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    const QString patterns = parts.size() > 1 ? parts[1] : parts[0];
    const qsizetype at = patterns.indexOf(QLatin1String("*."));
    if (at < 0)
        return {};
    QString suffix;
    for (qsizetype i = at + 2; i < patterns.size() && patterns[i].isLetterOrNumber(); ++i)
        suffix += patterns[i];
    return suffix;
}

QString QtDialogs::saveFile(const QString& initialDir, const QString& filter,
                            const QString& suggestedName) {
    // The dialog appends the filter's extension to a name typed without one and asks before an
    // existing file is replaced.
    QFileDialog dialog(parent_, QString(), initialDir, qtFileFilter(filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(defaultSuffix(filter));
    dialog.selectFile(suggestedName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

std::optional<ReportOutput> QtDialogs::chooseReportOutput(const QString& title) {
    return chooseReportOutputDialog(parent_, title);
}

void QtDialogs::progress(const QString& text, int done, int total) {
    showProgress(parent_, text, done, total);
}

void QtDialogs::printPreview(const PrintableDocument& document) {
    showPrintPreview(parent_, document);
}

void QtDialogs::print(const PrintableDocument& document, int copies) {
    printDocument(parent_, document, copies);
}

bool QtDialogs::openDocument(const QString& path) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

} // namespace qm::ui
