// The "Wygeneruj raport" operation: its questions, the CSV file in the working directory, the
// PDF through the save dialog and the desktop's viewer, and what a failure leaves.
#include "core/GridTable.h"
#include "reports/GridReport.h"
#include "support/ScriptedDialogs.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace qm::reports;
using qm::ModalResult;
using qm::test::ScriptedDialogs;

namespace {

const QString kGenerate = QStringLiteral("Czy na pewno wygenerować raport?");
const QString kWhichForm = QStringLiteral("Jaka forma raportu jest dla Ciebie odpowiednia?");
const QStringList kFormCaptions{QStringLiteral("PDF"), QStringLiteral("CSV")};
const QString kPdfFilter = QStringLiteral("PDF Document (*.pdf)|*.pdf;");
const QString kCsvSaved =
    QStringLiteral("Plik z rozszerzeniem CSV został zapisany w lokalizacji, w której znajduje się "
                   "program (plik .exe), czyli: \r\n");

std::unique_ptr<qm::GridTable> errorList(const QStringList& reasons) {
    auto g = std::make_unique<qm::GridTable>(
        std::vector<qm::GridColumn>{{QStringLiteral("POWOD BLEDU"), 158, false},
                                    {QStringLiteral("ODWO_ID"), 115, false},
                                    {QStringLiteral("KOD"), 177, false},
                                    {QStringLiteral("NAZWA"), 194, false}});
    for (const QString& reason : reasons) {
        const int row = g->appendRow();
        g->setText(row, 0, reason);
        g->setText(row, 1, QString::number(row + 1));
    }
    return g;
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
    return f.readAll();
}

// Every test runs in a working directory of its own.
class GridReportTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(work_.isValid());
        previous_ = QDir::currentPath();
        ASSERT_TRUE(QDir::setCurrent(work_.path()));
    }
    void TearDown() override {
        QDir::setCurrent(previous_);
        dialogs.verify();
    }
    QStringList entries() const {
        return QDir(work_.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }
    QString workPath() const { return QDir::toNativeSeparators(QDir(work_.path()).absolutePath()); }
    bool run(const qm::GridTable& grid, ReportKind kind) {
        return qm::runGuarded(dialogs, [&] { generateReport(dialogs, grid, kind); });
    }

    ScriptedDialogs dialogs;
    QTemporaryDir work_;
    QString previous_;
};

TEST_F(GridReportTest, QuestionsDecideWhatIsWritten) {
    struct Road {
        const char* what;
        ReportKind kind;
        bool generate;
        std::optional<ModalResult> form; // none: the form is not asked
        QString csv;                     // the file written, or none
    };
    const Road roads[] = {
        {"NIE to the first question", ReportKind::Articles, false, {}, {}},
        {"no sales mode chosen", ReportKind::None, true, {}, {}},
        {"the CSV button", ReportKind::DateRangeSales, true, ModalResult::No,
         "QXR_Raport_sprzedazy_dla_wybranego_zakresu_dat.csv"},
        {"Escape or the box closed", ReportKind::ImportErrors, true, ModalResult::None,
         "QXR_Uzyskane_bledy_podczas_importu_pliku_CSV.csv"},
    };
    const auto grid = errorList({QStringLiteral("Brak ceny")});
    for (const Road& road : roads) {
        SCOPED_TRACE(road.what);
        dialogs.expectQuestion(kGenerate, road.generate);
        if (road.form)
            dialogs.expectQuestion(kWhichForm, *road.form, kFormCaptions);
        if (!road.csv.isEmpty())
            dialogs.expectInformation(kCsvSaved + workPath());
        EXPECT_TRUE(run(*grid, road.kind));
        dialogs.verify();
        EXPECT_EQ(entries(), road.csv.isEmpty() ? QStringList() : QStringList{road.csv});
        for (const QString& file : entries())
            QFile::remove(file);
    }
}

TEST_F(GridReportTest, CsvIsReplacedWithoutAskingAndHoldsTheRowsAsShown) {
    const QString name = QStringLiteral("QXR_Uzyskane_bledy_podczas_importu_pliku_CSV.csv");
    for (const QStringList& reasons :
         {QStringList{QStringLiteral("pierwszy")},
          QStringList{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")}}) {
        const auto grid = errorList(reasons);
        // The view shows the rows last first.
        grid->setDisplayOrderSource([n = grid->rows()] {
            std::vector<int> order;
            for (int r = n - 1; r >= 0; --r)
                order.push_back(r);
            return order;
        });
        dialogs.expectQuestion(kGenerate, true)
            .expectQuestion(kWhichForm, false, kFormCaptions)
            .expectInformation(kCsvSaved + workPath());
        EXPECT_TRUE(run(*grid, ReportKind::ImportErrors));
    }
    EXPECT_EQ(entries(), QStringList{name});
    EXPECT_EQ(readAll(name),
              QByteArray("\xEF\xBB\xBF\"POWOD BLEDU\";\"ODWO_ID\";\"KOD\";\"NAZWA\"\r\n"
                         "\"C\";\"3\";\"\";\"\"\r\n"
                         "\"B\";\"2\";\"\";\"\"\r\n"
                         "\"A\";\"1\";\"\";\"\""));
}

TEST_F(GridReportTest, CsvThatCannotBeWrittenIsAnErrorWithoutTheConfirmation) {
    // Whatever the rights of the user: the file's name is taken by a folder with a file in it.
    const QString name = QStringLiteral("QXR_Wszystkie_artykuly_znajdujace_sie_w_bazie.csv");
    ASSERT_TRUE(QDir().mkdir(name));
    QFile inside(name + QStringLiteral("/notatka.txt"));
    ASSERT_TRUE(inside.open(QIODevice::WriteOnly));
    inside.write("zostaje");
    inside.close();

    dialogs.expectQuestion(kGenerate, true)
        .expectQuestion(kWhichForm, false, kFormCaptions)
        .expectError(QStringLiteral("Nie można zapisać pliku ") + workPath() + QDir::separator() +
                     name);
    EXPECT_FALSE(run(*errorList({QStringLiteral("x")}), ReportKind::Articles));
    EXPECT_EQ(entries(), QStringList{name});
    EXPECT_EQ(readAll(inside.fileName()), QByteArray("zostaje"));
}

TEST_F(GridReportTest, PdfIsSavedWhereChosenAndOpenedOrItsPlaceTold) {
    QTemporaryDir elsewhere;
    const QString path = elsewhere.filePath(QStringLiteral("raport błędów.pdf"));
    const auto grid = errorList({QStringLiteral("Brak ceny"), QStringLiteral("Zły kod")});
    struct Road {
        const char* what;
        QString chosen; // empty: the save dialog cancelled
        bool viewer;
    };
    for (const Road& road : {Road{"save cancelled", {}, false}, Road{"viewer opens it", path, true},
                             Road{"no viewer", path, false}}) {
        SCOPED_TRACE(road.what);
        // The save dialog: the working directory, the filter and the report name.
        dialogs.expectQuestion(kGenerate, true)
            .expectQuestion(kWhichForm, true, kFormCaptions)
            .expectSaveFile(QDir::currentPath(), kPdfFilter,
                            QStringLiteral("QXR_Uzyskane_bledy_podczas_importu_pliku_CSV"),
                            road.chosen);
        if (!road.chosen.isEmpty())
            dialogs.expectOpenDocument(path, road.viewer);
        if (!road.chosen.isEmpty() && !road.viewer)
            dialogs.expectInformation(
                QStringLiteral("Raport PDF został zapisany, ale nie udało się go otworzyć: brak "
                               "programu do przeglądania plików PDF. Plik raportu: \r\n") +
                QDir::toNativeSeparators(path));
        EXPECT_TRUE(run(*grid, ReportKind::ImportErrors));
        dialogs.verify();
        EXPECT_EQ(QFile::exists(path), !road.chosen.isEmpty());
        EXPECT_EQ(entries(), QStringList());
        EXPECT_EQ(QDir(elsewhere.path()).entryList(QDir::Files | QDir::Hidden).size(),
                  road.chosen.isEmpty() ? 0 : 1);
    }
}

TEST_F(GridReportTest, PdfSaveDialogSuggestsTheNameOfEachReport) {
    const struct {
        ReportKind kind;
        const char* name;
    } kinds[] = {
        {ReportKind::AllWorkersSales, "QXR_Raport_sprzedazy_dla_wszystkich_pracownikow"},
        {ReportKind::WorkerSales, "QXR_Raport_sprzedazy_dla_wybranego_pracownika"},
        {ReportKind::DateRangeSales, "QXR_Raport_sprzedazy_dla_wybranego_zakresu_dat"},
        {ReportKind::ImportErrors, "QXR_Uzyskane_bledy_podczas_importu_pliku_CSV"},
        {ReportKind::Articles, "QXR_Wszystkie_artykuly_znajdujace_sie_w_bazie"},
    };
    const auto grid = errorList({QStringLiteral("Brak ceny")});
    for (const auto& k : kinds) {
        SCOPED_TRACE(k.name);
        dialogs.expectQuestion(kGenerate, true)
            .expectQuestion(kWhichForm, true, kFormCaptions)
            .expectSaveFile(QDir::currentPath(), kPdfFilter, QString::fromUtf8(k.name), QString());
        EXPECT_TRUE(run(*grid, k.kind));
        dialogs.verify();
        EXPECT_EQ(entries(), QStringList());
    }
}

} // namespace
