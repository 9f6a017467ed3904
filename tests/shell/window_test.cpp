// The real main window, offscreen, against the real server, with every dialog scripted.
#include "WindowHarness.h"
#include "shell/Startup.h"
#include "shell/TfMainPanel.h"
#include "ui/GridView.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDateEdit>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>

using namespace qm;
using qm::test::kImport;
using qm::test::kLoadWorkers;
using qm::test::ScriptedDialogs;
using qm::test::TestDatabase;
using qm::test::type;
using shell::TfMainPanel;

namespace {

const QString kClose = QStringLiteral("Czy na pewno zamknąć aplikację?");

class WindowTest : public qm::test::WindowFixture {
protected:
    static void SetUpTestSuite() { db_ = new TestDatabase(QStringLiteral("window")); }
    static void TearDownTestSuite() {
        delete db_;
        db_ = nullptr;
    }
    void SetUp() override { open(*db_); }
    void showAnsweringNo() { show(false); }
    template <class W> W* find(const char* name) {
        W* w = window_->findChild<W*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }

    static TestDatabase* db_;
};

TestDatabase* WindowTest::db_ = nullptr;

TEST_F(WindowTest, FirstShowAsksBothQuestionsOnTheSaleTabOverThePaintedWindow) {
    window_->cxMainPageControl->setCurrentIndex(3);
    bool exposedAtFirstQuestion = false;
    dialogs_.onShown([&](const ScriptedDialogs::Shown&) {
        if (dialogs_.shown().size() == 1)
            exposedAtFirstQuestion =
                window_->windowHandle() && window_->windowHandle()->isExposed();
    });
    window_->show();
    EXPECT_TRUE(dialogs_.shown().empty()) << "no question before the window has been painted";
    dialogs_.expectQuestion(kLoadWorkers, false).expectQuestion(kImport, false);
    qm::test::waitForStartQuestions(*window_);
    dialogs_.verify();
    dialogs_.onShown({});
    EXPECT_TRUE(exposedAtFirstQuestion);
    EXPECT_EQ(window_->windowTitle(), QStringLiteral("Quelmora - okno główne"));
    EXPECT_EQ(window_->cxMainPageControl->currentWidget(), window_->cxSellTabSheet);
    EXPECT_EQ(window_->size(), QSize(1507, 632));
}

TEST_F(WindowTest, TabsAndControlsCarryTheirNamesCaptionsAndFonts) {
    showAnsweringNo();
    QTabWidget* tabs = window_->cxMainPageControl;
    const QStringList captions{QStringLiteral("Sprzedaz"), QStringLiteral("Raport sprzedazy"),
                               QStringLiteral("Import CSV"), QStringLiteral("Popraw Ceny"),
                               QStringLiteral("Zamknij aplikacje")};
    const QStringList sheets{
        QStringLiteral("cxSellTabSheet"), QStringLiteral("cxReportForSellsTabSheet"),
        QStringLiteral("cxImportCSVFileToDBTabSheet"), QStringLiteral("cxModifyPricesTabSheet"),
        QStringLiteral("cxCloseAppTabSheet")};
    ASSERT_EQ(tabs->count(), 5);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(tabs->tabText(i), captions[i]);
        EXPECT_EQ(tabs->widget(i)->objectName(), sheets[i]);
    }
    const struct {
        const char* name;
        const char* caption;
        int pixels;
    } controls[] = {
        {"CheckProductRadioButton", "Sprawdź produkt", 33},
        {"SellRadioButton", "Sprzedaż", 33},
        {"cxWorkerIDLabel", "ID Pracownika", 33},
        {"cxProductLabel", "Etykieta", 47},
        {"CancelCurrentSellingButton", "Anuluj zakupy", 27},
        {"DeleteCurrentSummaryPositionButton", "Usuń pozycję", 27},
        {"GenerateReportForSellButton", "Wygeneruj oświadczenie", 27},
        {"FinalizeSellButton", "Sprzedaj wybrane artykuły", 27},
        {"AllSellsRadioButton", "Wszyscy", 21},
        {"WorkerIDRadioButton", "ID Pracownika", 21},
        {"DateRangeRadioButton", "Zakres dat (od - do)", 21},
        {"GenerateReportButton", "Wygeneruj raport", 27},
        {"GenerateReportImportCSVButton", "Wygeneruj raport", 21},
        {"LoadCSVFileButton", "Zaladuj plik CSV", 21},
        {"GenerateReportInModifyPriceModeButton", "Wygeneruj raport", 27},
        {"RefreshDataButton", "Odśwież dane", 33},
        {"ModifyPriceButton", "Popraw cenę", 33},
        {"CloseAppButton", "Zamknij aplikacje", 33},
    };
    for (const auto& c : controls) {
        QWidget* w = find<QWidget>(c.name);
        if (!w)
            continue;
        QString text;
        if (auto* b = qobject_cast<QAbstractButton*>(w))
            text = b->text();
        else if (auto* l = qobject_cast<QLabel*>(w))
            text = l->text();
        EXPECT_EQ(text, QString::fromUtf8(c.caption)) << c.name;
        EXPECT_EQ(w->font().pixelSize(), c.pixels) << c.name;
        EXPECT_EQ(w->font().family(), QStringLiteral("Tahoma")) << c.name;
    }
    EXPECT_EQ(find<QLineEdit>("WorkerIDEdit")->font().pixelSize(), 47);
    EXPECT_TRUE(find<QLineEdit>("WorkerIDEdit")->placeholderText().isEmpty());
    EXPECT_EQ(find<QDateEdit>("DateFromTimePicker")->date(), QDate(2019, 11, 21));
    EXPECT_EQ(find<QDateEdit>("DateToTimePicker")->date(), QDate(2019, 11, 21));
    EXPECT_EQ(window_->CloseAppButton->size(), QSize(298, 57));
}

TEST_F(WindowTest, GridViewsShowTheirColumnsWithTheirWidths) {
    showAnsweringNo();
    const struct {
        ui::GridView* view;
        QStringList captions;
        std::vector<int> widths;
    } grids[] = {
        {window_->cxSummaryGridDBTableView1,
         {QStringLiteral("NAZWA"), QStringLiteral("ETYKIETA")},
         {435, 340}},
        {window_->cxAllSellsGrid,
         {QStringLiteral("PRACOWNIK_ID"), QStringLiteral("ETYKIETA"), QStringLiteral("ODWO_ID"),
          QStringLiteral("DATA ZAKUPU"), QStringLiteral("ADRES"), QStringLiteral("KOD_POCZTOWY"),
          QStringLiteral("ULICA"), QStringLiteral("ZAKLAD")},
         {85, 211, 147, 204, 179, 100, 221, 143}},
        {window_->cxImportCSVReportGrid,
         {QStringLiteral("POWOD BLEDU"), QStringLiteral("ODWO_ID"), QStringLiteral("KOD"),
          QStringLiteral("NAZWA")},
         {158, 115, 177, 194}},
    };
    for (const auto& g : grids) {
        ASSERT_EQ(g.view->model()->columnCount(), g.captions.size());
        for (int i = 0; i < g.captions.size(); ++i) {
            EXPECT_EQ(g.view->model()->headerData(i, Qt::Horizontal).toString(), g.captions[i]);
            EXPECT_EQ(g.view->horizontalHeader()->sectionSize(i), g.widths[size_t(i)])
                << g.captions[i].toStdString();
        }
    }
    EXPECT_EQ(window_->checkTable().columns().size(), 9u);
    EXPECT_EQ(window_->articlesTable().columns().size(), 11u);
}

TEST_F(WindowTest, WorkerFieldTakesDigitsOnly) {
    showAnsweringNo();
    window_->WorkerIDEdit->setFocus();
    type(window_->WorkerIDEdit, QStringLiteral("12a-3 4ż5"));
    EXPECT_EQ(window_->WorkerIDEdit->text(), QStringLiteral("12345"));
    type(window_->ProductIDEdit, QStringLiteral("12/ąb/7"));
    EXPECT_EQ(window_->ProductIDEdit->text(), QStringLiteral("12/ąb/7"));
}

TEST_F(WindowTest, FocusOrderOfTheSaleTab) {
    showAnsweringNo();
    QWidget* order[] = {window_->CheckProductRadioButton,
                        window_->SellRadioButton,
                        window_->WorkerIDEdit,
                        window_->ProductIDEdit,
                        window_->CancelCurrentSellingButton,
                        window_->DeleteCurrentSummaryPositionButton,
                        window_->FinalizeSellButton,
                        window_->cxSummaryGridDBTableView1,
                        window_->GenerateReportForSellButton};
    // Walking the focus chain from the first control meets the others in this order.
    QStringList met;
    QWidget* w = order[0];
    for (int steps = 0; steps < 500 && met.size() < int(std::size(order)); ++steps) {
        if (std::find(std::begin(order), std::end(order), w) != std::end(order) &&
            !met.contains(w->objectName()))
            met << w->objectName();
        w = w->nextInFocusChain();
    }
    QStringList expected;
    for (QWidget* o : order)
        expected << o->objectName();
    EXPECT_EQ(met, expected);
}

TEST_F(WindowTest, CloseQuestionNoKeepsEverythingYesEnds) {
    showAnsweringNo();
    window_->ProductIDEdit->setText(QStringLiteral("12/3456"));
    dialogs_.expectQuestion(kClose, false);
    EXPECT_FALSE(window_->close());
    EXPECT_TRUE(window_->isVisible());
    EXPECT_TRUE(window_->ibcdbQXR().isOpen());
    EXPECT_EQ(window_->ProductIDEdit->text(), QStringLiteral("12/3456"));

    dialogs_.expectQuestion(kClose, false);
    QTest::mouseClick(window_->CloseAppButton, Qt::LeftButton);
    EXPECT_TRUE(window_->isVisible());

    dialogs_.expectQuestion(kClose, true);
    QTest::mouseClick(window_->CloseAppButton, Qt::LeftButton);
    EXPECT_TRUE(window_->closed());
    EXPECT_FALSE(window_->isVisible());
    EXPECT_FALSE(window_->ibcdbQXR().isOpen());
}

TEST_F(WindowTest, TitleBarCloseWithYesClosesTheConnection) {
    showAnsweringNo();
    dialogs_.expectQuestion(kClose, true);
    EXPECT_TRUE(window_->close());
    EXPECT_FALSE(window_->ibcdbQXR().isOpen());
}

TEST(FirstShow, WorkerQueryThatCannotOpenIsReportedAndTheImportQuestionSkipped) {
    TestDatabase db(QStringLiteral("noworkers"));
    db.sql(QStringLiteral("REVOKE EXECUTE ON PROCEDURE GET_WORKERS_DATA FROM USER QUELMORA;"));
    ScriptedDialogs dialogs;
    shell::Session session(db.settings(), dialogs);
    TfMainPanel window(session);
    window.openConnection();
    dialogs.expectQuestion(kLoadWorkers, true).expectError(QStringLiteral("GET_WORKERS_DATA"));
    window.show();
    qm::test::waitForStartQuestions(window);
    dialogs.verify();
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(window.arrayWithDataOfWorkers().isEmpty());
    EXPECT_EQ(window.cxMainPageControl->currentWidget(), window.cxSellTabSheet);
}

TEST(Startup, UnreachableDatabaseShowsTheErrorAndEndsWithOneBeforeAnyWindow) {
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("quelmora.ini"));
    QFile f(ini);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[database]\nserver=127.0.0.1\nport=1\npath=/nowhere.fdb\n");
    f.close();
    qputenv("QUELMORA_DEPLOYMENT", ini.toUtf8());
    ScriptedDialogs dialogs;
    dialogs.expectError(QStringLiteral("127.0.0.1"));
    bool ran = false;
    const int status = shell::startUp(dialogs, dir.path(), [&](TfMainPanel&) {
        ran = true;
        return 0;
    });
    EXPECT_EQ(status, 1);
    EXPECT_FALSE(ran);
    dialogs.verify();
    ASSERT_EQ(dialogs.shown().size(), 1u) << "no question may come before the error";

    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    f.write("[database]\nport=drei\n");
    f.close();
    ScriptedDialogs malformed;
    malformed.expectError(QStringLiteral("port"));
    EXPECT_EQ(shell::startUp(malformed, dir.path(), [](TfMainPanel&) { return 0; }), 1);
    malformed.verify();
    qunsetenv("QUELMORA_DEPLOYMENT");
}

TEST(Startup, EveryStartFailureIsTheErrorBoxAndStatusOne) {
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("quelmora.ini"));
    const struct {
        const char* what;
        const char* settings;
        const char* clientLibrary;
        QStringList shown;
    } cases[] = {
        {"unknown charset",
         "[database]\ncharset=KOI8R\n",
         nullptr,
         {QStringLiteral("„charset=KOI8R”"), QStringLiteral("WIN1250, UTF8")}},
        {"client library missing",
         "[database]\nserver=127.0.0.1\n",
         "/nonexistent/libfbclient.so.2",
         {QStringLiteral("Nie można załadować biblioteki klienta Firebird "
                         "/nonexistent/libfbclient.so.2")}},
    };
    for (const auto& c : cases) {
        QFile f(ini);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(c.settings);
        f.close();
        qputenv("QUELMORA_DEPLOYMENT", ini.toUtf8());
        if (c.clientLibrary)
            qputenv("QUELMORA_FBCLIENT", c.clientLibrary);
        ScriptedDialogs dialogs;
        dialogs.expectError(c.shown.front());
        bool ran = false;
        int status = 0;
        EXPECT_NO_THROW(status = shell::startUp(dialogs, dir.path(),
                                                [&](TfMainPanel&) {
                                                    ran = true;
                                                    return 0;
                                                }))
            << c.what;
        qunsetenv("QUELMORA_FBCLIENT");
        qunsetenv("QUELMORA_DEPLOYMENT");
        EXPECT_EQ(status, 1) << c.what;
        EXPECT_FALSE(ran) << c.what;
        dialogs.verify();
        ASSERT_EQ(dialogs.shown().size(), 1u) << c.what;
        for (const QString& part : c.shown)
            EXPECT_TRUE(dialogs.shown().front().text.contains(part))
                << c.what << ": " << dialogs.shown().front().text.toStdString();
    }
}

// Without the client library the program itself starts and says which library it misses,
// instead of the system's loader refusing to start it at all.
TEST(Startup, ProgramRunsWithoutTheClientLibraryAndNamesIt) {
    QProcess vantorix;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("QUELMORA_FBCLIENT"),
               QStringLiteral("/nonexistent/libfbclient.so.2"));
    env.insert(QStringLiteral("QUELMORA_DEPLOYMENT"), QStringLiteral("/nonexistent/quelmora.ini"));
    vantorix.setProcessEnvironment(env);
    vantorix.start(QStringLiteral(QM_VANTORIX), {});
    ASSERT_TRUE(vantorix.waitForStarted(10000));
    QByteArray told;
    for (int i = 0; i < 100 && !told.contains('\n') && vantorix.state() == QProcess::Running; ++i) {
        vantorix.waitForReadyRead(200);
        told += vantorix.readAllStandardError();
    }
    // The error box is up now, waiting for its OK; the status behind it is checked above.
    EXPECT_EQ(vantorix.state(), QProcess::Running)
        << "exit status " << vantorix.exitCode() << ": " << told.toStdString();
    EXPECT_TRUE(QString::fromLocal8Bit(told).contains(
        QStringLiteral("biblioteki klienta Firebird /nonexistent/libfbclient.so.2")))
        << told.toStdString();
    vantorix.kill();
    vantorix.waitForFinished(10000);
}

TEST(IsNumber, AcceptsPointsDigitsAndHexLettersOnly) {
    const struct {
        const char* text;
        bool accepted;
    } cases[] = {
        {"", true},     {"007", true}, {"12.50", true},  {"12a", true},  {"DEADbeef", true},
        {"...", true},  {"-5", false}, {"12,50", false}, {"1 2", false}, {"ł", false},
        {"12ż", false}, {"g", false},  {"x1", false},    {"+1", false},  {"１２", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(isNumber(QString::fromUtf8(c.text)), c.accepted) << c.text;
}

} // namespace
