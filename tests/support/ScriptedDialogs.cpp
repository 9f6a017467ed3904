#include "ScriptedDialogs.h"

#include <gtest/gtest.h>

namespace qm::test {

namespace {

const char* kindName(ScriptedDialogs::Kind k) {
    using K = ScriptedDialogs::Kind;
    switch (k) {
    case K::Question:
        return "question";
    case K::Information:
        return "information box";
    case K::Error:
        return "error report";
    case K::Input:
        return "input box";
    case K::OpenFile:
        return "file-open dialog";
    case K::SaveFile:
        return "file-save dialog";
    case K::Output:
        return "report output dialog";
    case K::Preview:
        return "print preview";
    case K::Print:
        return "printing";
    case K::OpenDocument:
        return "document viewer";
    }
    return "?";
}

// How each dialog is written down, for the script and for shown(): the parts joined by "|".
QString openFileText(const QString& initialDir, const QString& filter) {
    return initialDir + QLatin1Char('|') + filter;
}
QString saveFileText(const QString& initialDir, const QString& filter,
                     const QString& suggestedName) {
    return initialDir + QLatin1Char('|') + filter + QLatin1Char('|') + suggestedName;
}
QString printText(const QString& title, int copies) {
    return title + QStringLiteral(" x%1").arg(copies);
}

} // namespace

ScriptedDialogs& ScriptedDialogs::push(Step step) {
    script_.push_back(std::move(step));
    return *this;
}

ScriptedDialogs& ScriptedDialogs::expectQuestion(const QString& text, bool yes,
                                                 const QStringList& captions) {
    return push({Kind::Question, text, captions, yes, {}, {}, {}, {}, {}});
}
ScriptedDialogs& ScriptedDialogs::expectQuestion(const QString& text, qm::ModalResult answer,
                                                 const QStringList& captions) {
    Step step{Kind::Question, text, captions, answer == qm::ModalResult::Yes, {}, {}, {}, {},
              answer};
    return push(std::move(step));
}
ScriptedDialogs& ScriptedDialogs::expectInformation(const QString& text) {
    return push({Kind::Information, text, {}, false, {}, {}, {}, {}, {}});
}
ScriptedDialogs& ScriptedDialogs::expectError(const QString& containing) {
    return push({Kind::Error, containing, {}, false, {}, {}, {}, {}, {}});
}
ScriptedDialogs& ScriptedDialogs::expectInput(const QString& caption, const QString& prompt,
                                              const QString& answer) {
    return push({Kind::Input, caption, {}, false, answer, prompt, {}, {}, {}});
}
ScriptedDialogs& ScriptedDialogs::expectOpenFile(const QString& initialDir, const QString& filter,
                                                 const QString& answer) {
    return push(
        {Kind::OpenFile, openFileText(initialDir, filter), {}, false, answer, {}, {}, {}, {}});
}
ScriptedDialogs& ScriptedDialogs::expectSaveFile(const QString& initialDir, const QString& filter,
                                                 const QString& suggestedName,
                                                 const QString& answer) {
    return push({Kind::SaveFile,
                 saveFileText(initialDir, filter, suggestedName),
                 {},
                 false,
                 answer,
                 {},
                 {},
                 {},
                 {}});
}
ScriptedDialogs& ScriptedDialogs::expectOutput(const QString& title,
                                               std::optional<qm::ReportOutput> answer) {
    return push({Kind::Output, title, {}, false, {}, {}, answer, {}, {}});
}
ScriptedDialogs& ScriptedDialogs::expectPreview(const QString& documentTitle, Inspect inspect) {
    return push({Kind::Preview, documentTitle, {}, false, {}, {}, {}, std::move(inspect), {}});
}
ScriptedDialogs& ScriptedDialogs::expectPrint(const QString& documentTitle, int copies,
                                              Inspect inspect) {
    return push({Kind::Print,
                 printText(documentTitle, copies),
                 {},
                 false,
                 {},
                 {},
                 {},
                 std::move(inspect),
                 {}});
}

ScriptedDialogs& ScriptedDialogs::expectOpenDocument(const QString& path, bool opens) {
    return push({Kind::OpenDocument, path, {}, opens, {}, {}, {}, {}, {}});
}

void ScriptedDialogs::verify() {
    for (const Step& s : script_)
        ADD_FAILURE() << "expected " << kindName(s.kind) << " was not shown: \""
                      << s.text.toStdString() << "\"";
    script_.clear();
}

std::optional<ScriptedDialogs::Step> ScriptedDialogs::take(Kind kind, const QString& text,
                                                           const QStringList& captions) {
    shown_.push_back({kind, text, captions});
    if (observer_)
        observer_(shown_.back());
    if (script_.empty()) {
        ADD_FAILURE() << "unexpected " << kindName(kind) << ": \"" << text.toStdString() << "\"";
        return std::nullopt;
    }
    Step step = script_.front();
    // The error report is matched by a part of its text (the server's own words follow the
    // program's); every other dialog by its whole text.
    const bool textMatches = kind == Kind::Error ? text.contains(step.text) : text == step.text;
    if (step.kind != kind || !textMatches ||
        (kind == Kind::Question && captions != step.captions)) {
        ADD_FAILURE() << "expected " << kindName(step.kind) << " \"" << step.text.toStdString()
                      << "\" [" << step.captions.join(',').toStdString() << "], but got "
                      << kindName(kind) << " \"" << text.toStdString() << "\" ["
                      << captions.join(',').toStdString() << "]";
        script_.pop_front();
        return std::nullopt;
    }
    script_.pop_front();
    return step;
}

qm::ModalResult ScriptedDialogs::messageDialog(const QString& message, qm::DialogKind kind,
                                               const QStringList& captions) {
    EXPECT_EQ(kind, qm::DialogKind::Confirmation) << message.toStdString();
    const auto step = take(Kind::Question, message, captions);
    if (step && step->result)
        return *step->result;
    return step && step->yes ? qm::ModalResult::Yes : qm::ModalResult::No;
}

void ScriptedDialogs::information(const QString& text) {
    take(Kind::Information, text);
}

void ScriptedDialogs::errorReport(const QString& text) {
    take(Kind::Error, text);
}

QString ScriptedDialogs::inputBox(const QString& caption, const QString& prompt,
                                  const QString& defaultText) {
    const auto step = take(Kind::Input, caption);
    if (!step)
        return defaultText;
    EXPECT_EQ(prompt.toStdString(), step->prompt.toStdString());
    return step->answer;
}

QString ScriptedDialogs::openFile(const QString& initialDir, const QString& filter) {
    const auto step = take(Kind::OpenFile, openFileText(initialDir, filter));
    return step ? step->answer : QString();
}

QString ScriptedDialogs::saveFile(const QString& initialDir, const QString& filter,
                                  const QString& suggestedName) {
    const auto step = take(Kind::SaveFile, saveFileText(initialDir, filter, suggestedName));
    return step ? step->answer : QString();
}

std::optional<qm::ReportOutput> ScriptedDialogs::chooseReportOutput(const QString& title) {
    const auto step = take(Kind::Output, title);
    return step ? step->output : std::nullopt;
}

void ScriptedDialogs::printPreview(const qm::PrintableDocument& document) {
    const auto step = take(Kind::Preview, document.title());
    if (step && step->inspect)
        step->inspect(document);
}

void ScriptedDialogs::print(const qm::PrintableDocument& document, int copies) {
    const auto step = take(Kind::Print, printText(document.title(), copies));
    if (step && step->inspect)
        step->inspect(document);
}

bool ScriptedDialogs::openDocument(const QString& path) {
    const auto step = take(Kind::OpenDocument, path);
    return step && step->yes;
}

} // namespace qm::test
