#pragma once

#include "core/Error.h"

#include <QElapsedTimer>
#include <QPageLayout>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QPagedPaintDevice;

namespace qm {

// The kinds of message dialog the program builds; every question uses Confirmation.
enum class DialogKind { Warning, Error, Information, Confirmation };

// The button that closed a dialog. Anything but Yes is a refusal.
enum class ModalResult { None, Yes, No };

// A document that a print preview can show, print or save.
class PrintableDocument {
public:
    virtual ~PrintableDocument() = default;
    virtual QString title() const = 0;
    virtual QPageLayout pageLayout() const = 0;
    // Paints every page on the device, starting a new page between pages.
    virtual void paint(QPagedPaintDevice& device) const = 0;
};

// Where a generated report goes, as chosen in its output dialog. A file is then chosen in the
// save dialog.
struct ReportOutput {
    enum class Destination { Preview, Printer, File };
    Destination destination = Destination::Preview;
    int copies = 1;
};

// The one seam through which the program talks to the operator. The window installs the Qt
// implementation; tests install a script that checks each text shown and gives the answer.
class Dialogs {
public:
    virtual ~Dialogs() = default;

    // A modal message dialog with the buttons Yes and No, in that order; captions name them
    // (the k-th caption on the k-th button). Yes is the default button, No the cancel button.
    virtual ModalResult messageDialog(const QString& message, DialogKind kind,
                                      const QStringList& captions) = 0;
    // The information box: the text and one "OK".
    virtual void information(const QString& text) = 0;
    // The general error report: a stop sign, the error's own text and one "OK".
    virtual void errorReport(const QString& text) = 0;
    // The input box; returns the typed text, or the default text when cancelled.
    virtual QString inputBox(const QString& caption, const QString& prompt,
                             const QString& defaultText) = 0;
    // File dialogs; an empty text when cancelled.
    virtual QString openFile(const QString& initialDir, const QString& filter) = 0;
    virtual QString saveFile(const QString& initialDir, const QString& filter,
                             const QString& suggestedName) = 0;
    // The output dialog of a report: preview (the default), printer or file, and copies.
    virtual std::optional<ReportOutput> chooseReportOutput(const QString& title) = 0;
    // Progress of a long piece of work; done == total ends it.
    virtual void progress(const QString& text, int done, int total) = 0;
    // A modal print preview that can print and save; returns when it is closed.
    virtual void printPreview(const PrintableDocument& document) = 0;
    // Sends the document to the printer.
    virtual void print(const PrintableDocument& document, int copies) = 0;
    // Opens a written file in the desktop's default viewer for its kind; false when no viewer
    // could be started (the file stays as it is).
    virtual bool openDocument(const QString& path) {
        (void)path;
        return false;
    }
};

// The progress window of a piece of work that may be long: nothing is shown while the work is
// quicker than the delay (counted from `since` when given, else from the guard's making); once
// shown, the window follows the steps, at most every tenth of a second, and is closed when the
// guard goes, however the work ends.
class DelayedProgress {
public:
    static constexpr int kDefaultDelayMs = 500;

    DelayedProgress(Dialogs& dialogs, QString text, int delayMs = kDefaultDelayMs,
                    const QElapsedTimer* since = nullptr);
    ~DelayedProgress();
    DelayedProgress(const DelayedProgress&) = delete;
    DelayedProgress& operator=(const DelayedProgress&) = delete;

    // done of total is finished; shows or updates the window once the delay has passed.
    void step(int done, int total);
    bool shown() const { return shown_; }

private:
    static constexpr qint64 kStepMs = 100;
    qint64 elapsed() const { return since_ ? since_->elapsed() : timer_.elapsed(); }

    Dialogs& dialogs_;
    QString text_;
    int delayMs_;
    QElapsedTimer timer_;
    const QElapsedTimer* since_;
    bool shown_ = false;
    qint64 lastShownMs_ = 0;
    int total_ = 1;
};

// The modal progress of a long piece of work, shown while the object lives: made with the work's
// text and its total, moved on with step(), closed when it goes, on every path out of the work.
class ProgressScope {
public:
    ProgressScope(Dialogs& dialogs, QString text, int total = 1);
    ~ProgressScope();
    ProgressScope(const ProgressScope&) = delete;
    ProgressScope& operator=(const ProgressScope&) = delete;
    void step(int done);

private:
    Dialogs& dialogs_;
    QString text_;
    int total_;
};

// The general error report around one event handler: an error escaping it stops the handler,
// its own text is shown in the error box, and the program runs on. Returns false after an error.
bool runGuarded(Dialogs& dialogs, const std::function<void()>& handler);

// The application title shown on information and error boxes.
QString applicationTitle();

// The program's only way of asking a question.
ModalResult MyMessageDialog(Dialogs& dialogs, const QString& message, DialogKind kind,
                            const QStringList& captions);

// Asks with the captions "TAK" and "NIE"; true only for "TAK".
bool askYesNo(Dialogs& dialogs, const QString& message);

// The character check of typed worker IDs and prices: points, digits and the letters A to F in
// either case; the empty text passes.
bool isNumber(const QString& text);

} // namespace qm
