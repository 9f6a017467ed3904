#include "TfMainPanel.h"

#include "ImportTab.h"
#include "PricesTab.h"
#include "SaleTab.h"
#include "SalesReportTab.h"
#include "WindowStyle.h"
#include "ui/QtDialogs.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGridLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QWindow>

namespace qm::shell {

namespace {
// When the window system never reports the window as exposed (a window manager that keeps it on
// another desktop, say), the start questions come after this long all the same.
constexpr int kExposeFallbackMs = 1500;
} // namespace

TfMainPanel::TfMainPanel(Session& session) : session_(session) {
    setObjectName(QStringLiteral("fMainPanel"));
    setWindowTitle(QStringLiteral("Quelmora - okno główne"));
    setFont(tahoma(11));
    resize(1507, 632);
    // Every box of the running program stands over this window.
    if (auto* qt = dynamic_cast<ui::QtDialogs*>(&session_.dialogs()))
        qt->setParent(this);

    buildPages();
    saleTab_ = std::make_unique<SaleTab>(*this);
    salesReportTab_ = std::make_unique<SalesReportTab>(*this);
    importTab_ = std::make_unique<ImportTab>(*this);
    pricesTab_ = std::make_unique<PricesTab>(*this);
    buildCloseTab();
}

TfMainPanel::~TfMainPanel() {
    if (auto* qt = dynamic_cast<ui::QtDialogs*>(&session_.dialogs()))
        qt->setParent(nullptr);
}

void TfMainPanel::buildPages() {
    auto* gpMainPanel = new QGridLayout(this);
    gpMainPanel->setObjectName(QStringLiteral("gpMainPanel"));
    gpMainPanel->setContentsMargins(0, 0, 0, 0);
    gpMainPanel->setRowStretch(0, 1);
    gpMainPanel->setRowStretch(1, 0);

    cxMainPageControl = new QTabWidget(this);
    cxMainPageControl->setObjectName(QStringLiteral("cxMainPageControl"));
    cxMainPageControl->tabBar()->setFont(tahoma(33));
    paintTeal(cxMainPageControl);
    gpMainPanel->addWidget(cxMainPageControl, 0, 0);

    const auto sheet = [this](QWidget*& target, const QString& name, const QString& caption) {
        target = new QWidget;
        target->setObjectName(name);
        target->setFont(tahoma(33));
        cxMainPageControl->addTab(target, caption);
    };
    sheet(cxSellTabSheet, QStringLiteral("cxSellTabSheet"), QStringLiteral("Sprzedaz"));
    sheet(cxReportForSellsTabSheet, QStringLiteral("cxReportForSellsTabSheet"),
          QStringLiteral("Raport sprzedazy"));
    sheet(cxImportCSVFileToDBTabSheet, QStringLiteral("cxImportCSVFileToDBTabSheet"),
          QStringLiteral("Import CSV"));
    sheet(cxModifyPricesTabSheet, QStringLiteral("cxModifyPricesTabSheet"),
          QStringLiteral("Popraw Ceny"));
    sheet(cxCloseAppTabSheet, QStringLiteral("cxCloseAppTabSheet"),
          QStringLiteral("Zamknij aplikacje"));
    cxMainPageControl->setCurrentIndex(0);
}

void TfMainPanel::buildCloseTab() {
    QGridLayout* g = gridPanel(cxCloseAppTabSheet, QStringLiteral("gpCloseAppPanel"));
    CloseAppButton =
        button(QStringLiteral("CloseAppButton"), QStringLiteral("Zamknij aplikacje"), 33);
    CloseAppButton->setFixedSize(298, 57);
    place(g, CloseAppButton, 5, 2, 0, 1, true);
    connect(CloseAppButton, &QPushButton::clicked, this, &TfMainPanel::CloseAppButtonClick);
}

counter::SaleCounter& TfMainPanel::saleCounter() {
    return saleTab_->counter();
}

void TfMainPanel::openConnection() {
    session_.open();
}

bool TfMainPanel::handle(const std::function<void()>& handler) {
    return runGuarded(session_.dialogs(), handler);
}

void TfMainPanel::onClick(QObject* context, QPushButton* b, std::function<void()> handler) {
    connect(b, &QPushButton::clicked, context, [this, handler] { handle(handler); });
}

void TfMainPanel::onToggledOn(QObject* context, QRadioButton* b, std::function<void()> handler) {
    connect(b, &QRadioButton::toggled, context, [this, handler](bool checked) {
        if (checked)
            handle(handler);
    });
}

void TfMainPanel::onShow(QObject* context, QWidget* sheet, std::function<void()> handler) {
    connect(cxMainPageControl, &QTabWidget::currentChanged, context,
            [this, sheet, handler](int index) {
                if (cxMainPageControl->widget(index) == sheet)
                    handle(handler);
            });
}

void TfMainPanel::FormShow() {
    cxMainPageControl->setCurrentWidget(cxSellTabSheet);
    handle([this] { saleCounter().cxSellTabSheetShow(); });
    Dialogs& dialogs = session_.dialogs();
    if (askYesNo(dialogs, QStringLiteral("Brak danych pracowników w programie. Czy pobrać dane "
                                         "pracowników?"))) {
        // When the worker query cannot even be opened, the import question is not asked.
        if (!handle([this] { arrayWithDataOfWorkers().load(catalogue(), session_.dialogs()); }))
            return;
    }
    importTab_->offerStartUpImport();
}

void TfMainPanel::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (shown_)
        return;
    shown_ = true;
    // The questions wait until the window system shows the window and it has been painted.
    if (QWindow* handle = windowHandle())
        handle->installEventFilter(this);
    QTimer::singleShot(kExposeFallbackMs, this, [this] { askStartQuestions(); });
    if (windowHandle() && windowHandle()->isExposed())
        QTimer::singleShot(0, this, [this] { askStartQuestions(); });
}

bool TfMainPanel::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Expose && watched == windowHandle() && !asked_ &&
        windowHandle()->isExposed())
        QTimer::singleShot(0, this, [this] { askStartQuestions(); });
    return QWidget::eventFilter(watched, event);
}

void TfMainPanel::askStartQuestions() {
    if (asked_ || closed_)
        return;
    asked_ = true;
    if (QWindow* handle = windowHandle())
        handle->removeEventFilter(this);
    repaint();
    FormShow();
}

bool TfMainPanel::WMSysCommand() {
    if (closed_)
        return true;
    if (!askYesNo(session_.dialogs(), QStringLiteral("Czy na pewno zamknąć aplikację?")))
        return false;
    shutDown();
    return true;
}

void TfMainPanel::CloseAppButtonClick() {
    if (closed_ || !askYesNo(session_.dialogs(), QStringLiteral("Czy na pewno zamknąć aplikację?")))
        return;
    shutDown();
    close();
}

void TfMainPanel::shutDown() {
    closed_ = true;
    session_.close();
    QApplication::quit();
}

void TfMainPanel::closeEvent(QCloseEvent* event) {
    if (WMSysCommand())
        event->accept();
    else
        event->ignore();
}

} // namespace qm::shell
