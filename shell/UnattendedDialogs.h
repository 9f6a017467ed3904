#pragma once

#include "core/Dialogs.h"

namespace qm::shell {

// The dialogs of a program run without an operator, for checking an installation: with
// QUELMORA_UNATTENDED=1 in the environment nothing is shown; every text goes to stderr as one line
// ("Vantorix: pytanie: ...", "... informacja: ...", "... błąd: ..."), every question is answered
// "NIE", every file dialog is cancelled and nothing is printed.
class UnattendedDialogs : public qm::Dialogs {
public:
    // Whether the environment asks for these dialogs.
    static bool requested();

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
};

} // namespace qm::shell
