#pragma once

#include "core/Dialogs.h"

#include <chrono>
#include <stdexcept>
#include <string>

namespace qm::bench {

using Clock = std::chrono::steady_clock;

// Stops the benchmark when what it measures was not set up as it assumes.
inline void require(bool condition, const char* what) {
    if (!condition)
        throw std::runtime_error(std::string("benchmark precondition failed: ") + what);
}

inline double seconds(Clock::time_point from) {
    return std::chrono::duration<double>(Clock::now() - from).count();
}

// Every question answered "TAK", every notice counted and otherwise ignored; a notice during the
// run means the counter refused something it should have done.
class YesDialogs : public Dialogs {
public:
    ModalResult messageDialog(const QString&, DialogKind, const QStringList&) override {
        ++questions;
        return ModalResult::Yes;
    }
    void information(const QString& text) override {
        ++notices;
        lastNotice = text;
    }
    void errorReport(const QString& text) override {
        ++notices;
        lastNotice = text;
    }
    QString inputBox(const QString&, const QString&, const QString& defaultText) override {
        return defaultText;
    }
    QString openFile(const QString&, const QString&) override { return {}; }
    QString saveFile(const QString&, const QString&, const QString&) override { return {}; }
    std::optional<ReportOutput> chooseReportOutput(const QString&) override { return std::nullopt; }
    void progress(const QString&, int, int) override {}
    void printPreview(const PrintableDocument&) override {}
    void print(const PrintableDocument&, int) override {}

    long questions = 0;
    long notices = 0;
    QString lastNotice;
};

} // namespace qm::bench
