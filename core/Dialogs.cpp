#include "Dialogs.h"

#include <algorithm>

namespace qm {

QString applicationTitle() {
    return QStringLiteral("Quelmora");
}

ModalResult MyMessageDialog(Dialogs& dialogs, const QString& message, DialogKind kind,
                            const QStringList& captions) {
    return dialogs.messageDialog(message, kind, captions);
}

bool askYesNo(Dialogs& dialogs, const QString& message) {
    return MyMessageDialog(dialogs, message, DialogKind::Confirmation,
                           {QStringLiteral("TAK"), QStringLiteral("NIE")}) == ModalResult::Yes;
}

ProgressScope::ProgressScope(Dialogs& dialogs, QString text, int total)
    : dialogs_(dialogs), text_(std::move(text)), total_(total < 1 ? 1 : total) {
    dialogs_.progress(text_, 0, total_);
}

ProgressScope::~ProgressScope() {
    dialogs_.progress(text_, total_, total_);
}

void ProgressScope::step(int done) {
    if (done < total_)
        dialogs_.progress(text_, done, total_);
}

bool runGuarded(Dialogs& dialogs, const std::function<void()>& handler) {
    try {
        handler();
        return true;
    } catch (const Error& e) {
        const QString advice = e.advice();
        dialogs.errorReport(advice.isEmpty() ? e.text() : advice + QLatin1Char('\n') + e.text());
    } catch (const std::exception& e) {
        dialogs.errorReport(QString::fromUtf8(e.what()));
    }
    return false;
}

DelayedProgress::DelayedProgress(Dialogs& dialogs, QString text, int delayMs,
                                 const QElapsedTimer* since)
    : dialogs_(dialogs), text_(std::move(text)), delayMs_(delayMs), since_(since) {
    timer_.start();
}

DelayedProgress::~DelayedProgress() {
    if (!shown_)
        return;
    try {
        dialogs_.progress(text_, total_, total_);
    } catch (...) {
        // Closing the window must not replace the error that ended the work.
    }
}

void DelayedProgress::step(int done, int total) {
    if (total <= 0 || done >= total)
        return; // the guard closes the window when the work is over
    total_ = total;
    const qint64 now = elapsed();
    if (!shown_) {
        if (now < delayMs_)
            return;
        shown_ = true;
    } else if (now - lastShownMs_ < kStepMs) {
        return;
    }
    lastShownMs_ = now;
    dialogs_.progress(text_, done, total);
}

bool isNumber(const QString& text) {
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        const bool accepted = u == u'.' || (u >= u'0' && u <= u'9') || (u >= u'A' && u <= u'F') ||
                              (u >= u'a' && u <= u'f');
        if (!accepted)
            return false;
    }
    return true;
}

} // namespace qm
