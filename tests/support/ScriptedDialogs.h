#pragma once

#include "core/Dialogs.h"

#include <deque>
#include <functional>
#include <vector>

namespace qm::test {

// The dialog seam for tests: every dialog the program opens must have been expected, in order,
// with its exact text (for file dialogs the folder, the filter and the suggested name; for the
// output dialog its title; for previews and printing the document's title and the copies); the
// queued answer is given back. A dialog that was not expected, or
// whose text differs, fails the running test and is answered with a refusal.
class ScriptedDialogs : public qm::Dialogs {
public:
    enum class Kind {
        Question,
        Information,
        Error,
        Input,
        OpenFile,
        SaveFile,
        Output,
        Preview,
        Print,
        OpenDocument
    };
    struct Shown {
        Kind kind;
        QString text;
        QStringList captions;
    };
    using Inspect = std::function<void(const qm::PrintableDocument&)>;

    ScriptedDialogs& expectQuestion(const QString& text, bool yes,
                                    const QStringList& captions = {QStringLiteral("TAK"),
                                                                   QStringLiteral("NIE")});
    // A question closed with the given result: ModalResult::None stands for the box closed
    // without a button.
    ScriptedDialogs& expectQuestion(const QString& text, qm::ModalResult answer,
                                    const QStringList& captions);
    ScriptedDialogs& expectInformation(const QString& text);
    // The error report; the shown text must contain the given part.
    ScriptedDialogs& expectError(const QString& containing = {});
    ScriptedDialogs& expectInput(const QString& caption, const QString& prompt,
                                 const QString& answer);
    // The file dialogs, opened on the folder with the filter (and the suggested name), answered
    // with a path; an empty answer is the dialog cancelled.
    ScriptedDialogs& expectOpenFile(const QString& initialDir, const QString& filter,
                                    const QString& answer);
    ScriptedDialogs& expectSaveFile(const QString& initialDir, const QString& filter,
                                    const QString& suggestedName, const QString& answer);
    // The output dialog of a report with its title; std::nullopt is the dialog cancelled.
    ScriptedDialogs& expectOutput(const QString& title, std::optional<qm::ReportOutput> answer);
    // The preview or the printing of a document with the given title (and number of copies).
    ScriptedDialogs& expectPreview(const QString& documentTitle, Inspect inspect = {});
    ScriptedDialogs& expectPrint(const QString& documentTitle, int copies, Inspect inspect = {});
    // The desktop's viewer asked to open the file at path; `opens` tells whether one could.
    ScriptedDialogs& expectOpenDocument(const QString& path, bool opens);

    // Every expected dialog was shown.
    bool finished() const { return script_.empty(); }
    // Fails the running test for each expected dialog that was not shown, then forgets them.
    void verify();

    const std::vector<Shown>& shown() const { return shown_; }
    // Called with every dialog as it is shown, before it is answered.
    void onShown(std::function<void(const Shown&)> observer) { observer_ = std::move(observer); }
    void clearShown() { shown_.clear(); }

    qm::ModalResult messageDialog(const QString& message, qm::DialogKind kind,
                                  const QStringList& captions) override;
    void information(const QString& text) override;
    void errorReport(const QString& text) override;
    QString inputBox(const QString& caption, const QString& prompt,
                     const QString& defaultText) override;
    QString openFile(const QString& initialDir, const QString& filter) override;
    QString saveFile(const QString& initialDir, const QString& filter,
                     const QString& suggestedName) override;
    std::optional<qm::ReportOutput> chooseReportOutput(const QString& title) override;
    void progress(const QString&, int, int) override {}
    void printPreview(const qm::PrintableDocument& document) override;
    void print(const qm::PrintableDocument& document, int copies) override;
    bool openDocument(const QString& path) override;

private:
    struct Step {
        Kind kind;
        QString text;
        QStringList captions;
        bool yes = false;
        QString answer;
        QString prompt;
        std::optional<qm::ReportOutput> output;
        Inspect inspect;
        std::optional<qm::ModalResult> result;
    };
    ScriptedDialogs& push(Step step);
    std::optional<Step> take(Kind kind, const QString& text, const QStringList& captions = {});

    std::deque<Step> script_;
    std::vector<Shown> shown_;
    std::function<void(const Shown&)> observer_;
};

} // namespace qm::test
