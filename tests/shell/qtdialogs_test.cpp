// The real Qt dialogs behind the seam: captions, default and cancel buttons, and the boxes'
// titles, driven with real key presses on the offscreen platform.
#include "ui/QtDialogs.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <memory>

using namespace qm;

namespace {

// Runs `act` on the modal box once it is up; fails the test when none comes within five seconds.
void whenModal(std::function<void(QMessageBox&)> act) {
    auto poll = std::make_shared<std::function<void(int)>>();
    *poll = [act, poll](int left) {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box && box->isVisible())
            act(*box);
        else if (left == 0)
            ADD_FAILURE() << "no message box came";
        else
            QTimer::singleShot(10, [poll, left] { (*poll)(left - 1); });
    };
    QTimer::singleShot(0, [poll] { (*poll)(500); });
}

QStringList buttonTexts(const QMessageBox& box) {
    QStringList texts;
    for (QAbstractButton* b : box.buttons())
        texts << b->text();
    return texts;
}

TEST(QtDialogs, ConfirmationTakesEnterAsYesAndEscapeAsNo) {
    ui::QtDialogs dialogs;
    const struct {
        int key;
        ModalResult result;
    } cases[] = {{Qt::Key_Return, ModalResult::Yes}, {Qt::Key_Escape, ModalResult::No}};
    for (const auto& c : cases) {
        QString title;
        QStringList texts;
        whenModal([&, key = c.key](QMessageBox& box) {
            title = box.windowTitle();
            texts = buttonTexts(box);
            QTest::keyClick(&box, Qt::Key(key));
        });
        EXPECT_EQ(dialogs.messageDialog(QStringLiteral("Czy na pewno?"), DialogKind::Confirmation,
                                        {QStringLiteral("TAK"), QStringLiteral("NIE")}),
                  c.result);
        EXPECT_EQ(title, QStringLiteral("Confirm"));
        EXPECT_TRUE(texts.contains(QStringLiteral("TAK")) && texts.contains(QStringLiteral("NIE")))
            << texts.join(',').toStdString();
    }
}

TEST(QtDialogs, ReportFormatQuestionNamesItsButtonsPdfAndCsv) {
    ui::QtDialogs dialogs;
    QStringList texts;
    whenModal([&](QMessageBox& box) {
        texts = buttonTexts(box);
        for (QAbstractButton* b : box.buttons())
            if (b->text() == QLatin1String("CSV"))
                b->click();
    });
    EXPECT_EQ(dialogs.messageDialog(
                  QStringLiteral("Jaka forma raportu jest dla Ciebie odpowiednia?"),
                  DialogKind::Confirmation, {QStringLiteral("PDF"), QStringLiteral("CSV")}),
              ModalResult::No);
    EXPECT_EQ(texts.size(), 2);
}

TEST(QtDialogs, InformationAndErrorBoxesHaveOneOkUnderTheApplicationTitle) {
    ui::QtDialogs dialogs;
    for (bool error : {false, true}) {
        QString title;
        QStringList texts;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        whenModal([&](QMessageBox& box) {
            title = box.windowTitle();
            texts = buttonTexts(box);
            icon = box.icon();
            QTest::keyClick(&box, Qt::Key_Return);
        });
        if (error)
            dialogs.errorReport(QStringLiteral("lock conflict on no wait transaction"));
        else
            dialogs.information(QStringLiteral("Brak podanego produktu w bazie"));
        EXPECT_EQ(title, applicationTitle());
        EXPECT_EQ(texts, QStringList{QStringLiteral("OK")});
        EXPECT_EQ(icon, error ? QMessageBox::Critical : QMessageBox::NoIcon);
    }
}

TEST(QtDialogs, FileFiltersOfTheProgramBecomeQtFiltersWithTheirDefaultExtension) {
    const struct {
        const char* filter;
        const char* qt;
        const char* extension;
    } cases[] = {
        {"csv files (*.csv)|*.csv", "csv files (*.csv)", "csv"},
        {"PDF Document (*.pdf)|*.pdf;", "PDF Document (*.pdf)", "pdf"},
        {"Arkusze|*.csv;*.txt|Wszystkie|*", "Arkusze (*.csv *.txt);;Wszystkie (*)", "csv"},
        {"Wszystkie|*.*", "Wszystkie (*.*)", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ui::qtFileFilter(QString::fromUtf8(c.filter)).toStdString(), c.qt) << c.filter;
        EXPECT_EQ(ui::defaultExtension(QString::fromUtf8(c.filter)).toStdString(), c.extension)
            << c.filter;
    }
}

} // namespace
