#pragma once

#include "core/Dialogs.h"

class QWidget;

namespace qm::ui {

// A file filter of the dialog seam ("csv files (*.csv)|*.csv", pairs of description and
// patterns split by "|") in Qt's form ("csv files (*.csv)"; several joined by ";;").
QString qtFileFilter(const QString& filter);
// The extension of the filter's first pattern ("pdf" of "*.pdf;"), or none.
QString defaultExtension(const QString& filter);

// The dialogs of the running program, on Qt Widgets.
class QtDialogs : public qm::Dialogs {
public:
    void setParent(QWidget* parent) { parent_ = parent; }

    ModalResult messageDialog(const QString& message, DialogKind kind,
                              const QStringList& captions) override;
    void information(const QString& text) override;
    void errorReport(const QString& text) override;
    QString inputBox(const QString& caption, const QString& prompt,
                     const QString& defaultText) override;
    QString openFile(const QString& initialDir, const QString& filter) override;
    QString saveFile(const QString& initialDir, const QString& filter,
                     const QString& suggestedName) override;
    std::optional<ReportOutput> chooseReportOutput(const QString& title) override;
    void progress(const QString& text, int done, int total) override;
    void printPreview(const PrintableDocument& document) override;
    void print(const PrintableDocument& document, int copies) override;
    bool openDocument(const QString& path) override;

private:
    QWidget* parent_ = nullptr;
};

} // namespace qm::ui
