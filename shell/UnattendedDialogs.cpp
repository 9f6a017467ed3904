#include "UnattendedDialogs.h"

#include <cstdio>

namespace qm::shell {

namespace {

void tell(const char* what, const QString& text) {
    std::fprintf(stderr, "Vantorix: %s: %s\n", what, text.toLocal8Bit().constData());
    std::fflush(stderr);
}

} // namespace

bool UnattendedDialogs::requested() {
    return qEnvironmentVariable("QUELMORA_UNATTENDED") == QLatin1String("1");
}

ModalResult UnattendedDialogs::messageDialog(const QString& message, DialogKind,
                                             const QStringList&) {
    tell("pytanie", message);
    return ModalResult::No;
}

void UnattendedDialogs::information(const QString& text) {
    tell("informacja", text);
}

void UnattendedDialogs::errorReport(const QString& text) {
    tell("błąd", text);
}

QString UnattendedDialogs::inputBox(const QString&, const QString& prompt,
                                    const QString& defaultText) {
    tell("pytanie", prompt);
    return defaultText;
}

QString UnattendedDialogs::openFile(const QString&, const QString&) {
    return {};
}

QString UnattendedDialogs::saveFile(const QString&, const QString&, const QString&) {
    return {};
}

std::optional<ReportOutput> UnattendedDialogs::chooseReportOutput(const QString&) {
    return std::nullopt;
}

void UnattendedDialogs::progress(const QString&, int, int) {}

void UnattendedDialogs::printPreview(const PrintableDocument&) {}

void UnattendedDialogs::print(const PrintableDocument&, int) {}

} // namespace qm::shell
