// The Qt print services, driven as an operator would: the output dialog's choices and its
// cancel, the preview showing every page of a document and returning when closed, and the
// progress window's life.
#include "Poppler.h"
#include "printing/DrawnDocument.h"
#include "ui/PrintServices.h"
#include "ui/QtDialogs.h"

#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinterInfo>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace {

// Runs act on the next modal window once it is shown; fails the test when none comes within
// five seconds.
void whenModal(std::function<void(QWidget*)> act) {
    auto poll = std::make_shared<std::function<void(int)>>();
    *poll = [act, poll](int left) {
        if (QWidget* w = QApplication::activeModalWidget(); w && w->isVisible())
            act(w);
        else if (left == 0)
            ADD_FAILURE() << "no modal window came";
        else
            QTimer::singleShot(10, [poll, left] { (*poll)(left - 1); });
    };
    QTimer::singleShot(0, [poll] { (*poll)(500); });
}

template <class T> T* child(QWidget* w, const QString& text) {
    for (T* c : w->findChildren<T*>())
        if (c->text() == text)
            return c;
    ADD_FAILURE() << "no control \"" << text.toStdString() << "\"";
    return nullptr;
}

TEST(PrintServices, OutputDialogGivesTheOperatorsChoiceAndNothingWhenCancelled) {
    struct Case {
        const char* what;
        std::function<void(QWidget*)> operate;
        std::optional<qm::ReportOutput> expected;
    };
    auto ok = [](QWidget* d) { child<QPushButton>(d, QStringLiteral("OK"))->click(); };
    qm::ReportOutput preview;
    qm::ReportOutput file;
    file.destination = qm::ReportOutput::Destination::File;
    file.copies = 3;
    const Case cases[] = {
        {"accepted as it opens", ok, preview},
        {"cancelled", [](QWidget* d) { child<QPushButton>(d, QStringLiteral("Anuluj"))->click(); },
         std::nullopt},
        {"closed with Escape", [](QWidget* d) { qobject_cast<QDialog*>(d)->reject(); },
         std::nullopt},
        {"PDF file, three copies",
         [&](QWidget* d) {
             child<QRadioButton>(d, QStringLiteral("Plik PDF"))->setChecked(true);
             d->findChild<QSpinBox*>()->setValue(3);
             ok(d);
         },
         file},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        whenModal([&](QWidget* d) {
            // Preview is the default; the printer is offered only when one is installed.
            EXPECT_TRUE(child<QRadioButton>(d, QStringLiteral("Podgląd na ekranie"))->isChecked());
            EXPECT_EQ(child<QRadioButton>(d, QStringLiteral("Drukarka"))->isEnabled(),
                      !QPrinterInfo::availablePrinters().isEmpty());
            EXPECT_EQ(d->windowTitle().toStdString(), "OŚWIADCZENIE");
            c.operate(d);
        });
        const auto chosen =
            qm::ui::chooseReportOutputDialog(nullptr, QStringLiteral("OŚWIADCZENIE"));
        ASSERT_EQ(chosen.has_value(), c.expected.has_value());
        if (chosen) {
            EXPECT_EQ(chosen->destination, c.expected->destination);
            EXPECT_EQ(chosen->copies, c.expected->copies);
        }
    }
}

TEST(PrintServices, PreviewShowsEveryPageSavesAsPdfAndReturnsWhenClosed) {
    std::vector<qm::printing::DrawnText> texts;
    for (int page = 0; page < 3; ++page)
        texts.push_back({page, 3, 0.7, 0.5, qm::printing::Align::Left, 3, QStringLiteral("Arial"),
                         12, false, QStringLiteral("Strona %1").arg(page + 1)});
    const qm::printing::DrawnDocument doc(QStringLiteral("OŚWIADCZENIE"), QPageSize(QPageSize::A4),
                                          3, texts);
    QTemporaryDir dir;
    const QString saved = dir.filePath(QStringLiteral("zapisany"));
    int pages = -1;
    whenModal([&](QWidget* w) {
        auto* preview = w->findChild<QPrintPreviewWidget*>();
        ASSERT_NE(preview, nullptr);
        preview->updatePreview();
        pages = preview->pageCount();
        EXPECT_EQ(w->windowTitle().toStdString(), "OŚWIADCZENIE");
        QAction* save = nullptr;
        for (QAction* a : w->findChildren<QAction*>())
            if (a->text() == QStringLiteral("Zapisz jako PDF"))
                save = a;
        if (save) {
            whenModal([&](QWidget* f) {
                auto* files = qobject_cast<QFileDialog*>(f);
                ASSERT_NE(files, nullptr);
                files->selectFile(saved);
                static_cast<QDialog*>(files)->accept();
            });
            save->trigger();
        } else {
            ADD_FAILURE() << "no save action in the preview";
        }
        qobject_cast<QDialog*>(w)->reject();
    });
    // The real dialogs: the save dialog adds the extension to a name typed without one.
    qm::ui::QtDialogs dialogs;
    qm::ui::showPrintPreview(nullptr, doc, dialogs);
    EXPECT_EQ(pages, 3);
    // Saved with the extension added, all pages.
    EXPECT_EQ(qm::test::pdfPages(saved + QStringLiteral(".pdf")), 3);
}

TEST(PrintServices, ProgressWindowLivesUntilTheWorkIsDone) {
    auto windows = [] {
        int visible = 0;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<QProgressDialog*>(w) && w->isVisible())
                ++visible;
        return visible;
    };
    qm::ui::showProgress(nullptr, QStringLiteral("Generowanie"), 0, 2);
    EXPECT_EQ(windows(), 1);
    qm::ui::showProgress(nullptr, QStringLiteral("Generowanie"), 1, 2);
    EXPECT_EQ(windows(), 1);
    qm::ui::showProgress(nullptr, QStringLiteral("Generowanie"), 2, 2);
    EXPECT_EQ(windows(), 0);
}

TEST(PrintServices, PaperIsTheDefaultPrintersOrLetterWithoutAPrinter) {
    const QPageSize paper = qm::ui::defaultPaperSize();
    if (QPrinterInfo::defaultPrinter().isNull())
        EXPECT_EQ(paper.size(QPageSize::Inch), QSizeF(8.5, 11));
    else
        EXPECT_TRUE(paper.isValid());
}

} // namespace
