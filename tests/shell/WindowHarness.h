#pragma once

#include "counter/SaleCounter.h"
#include "shell/TfMainPanel.h"
#include "support/ScriptedDialogs.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QRadioButton>
#include <QTest>
#include <memory>

namespace qm::test {

inline const QString kLoadWorkers =
    QStringLiteral("Brak danych pracowników w programie. Czy pobrać dane pracowników?");
inline const QString kImport = QStringLiteral("Czy zaimportować plik CSV z artykułami?");

// Types text as the keyboard or a scanner would, one key event per character, any script.
inline void type(QWidget* w, const QString& text) {
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress,
                        c.isDigit() ? Qt::Key_0 + c.digitValue() : Qt::Key_unknown, Qt::NoModifier,
                        QString(c));
        QApplication::sendEvent(w, &press);
        QKeyEvent release(QEvent::KeyRelease, press.key(), Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &release);
    }
}

inline void enter(QWidget* w) {
    QTest::keyClick(w, Qt::Key_Return);
}

// A click on the radio button's indicator, where an operator clicks it.
inline void choose(QRadioButton* b) {
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(12, b->height() / 2));
    ASSERT_TRUE(b->isChecked()) << b->objectName().toStdString();
}

// The start questions come once the shown window has been painted; waits for them, at most a few
// seconds.
inline void waitForStartQuestions(const shell::TfMainPanel& window) {
    EXPECT_TRUE(QTest::qWaitFor([&] { return window.startQuestionsAsked(); }, 5000))
        << "the start questions were not asked";
}

// The real main window on a connection to a test database, with every dialog scripted.
class WindowFixture : public ::testing::Test {
protected:
    void open(const TestDatabase& db) {
        session_ = std::make_unique<shell::Session>(db.settings(), dialogs_);
        window_ = std::make_unique<shell::TfMainPanel>(*session_);
        window_->openConnection();
    }
    // Shows the window, answering the first-show questions: the worker load as given, the
    // import "NIE".
    void show(bool loadWorkers) {
        dialogs_.expectQuestion(kLoadWorkers, loadWorkers).expectQuestion(kImport, false);
        window_->show();
        waitForStartQuestions(*window_);
        dialogs_.verify();
    }
    void TearDown() override {
        dialogs_.verify();
        window_.reset();
        session_.reset();
    }

    ScriptedDialogs dialogs_;
    std::unique_ptr<shell::Session> session_;
    std::unique_ptr<shell::TfMainPanel> window_;
};

} // namespace qm::test
