#include "TfMainPanel.h"

#include "counter/Statement.h"
#include "counter/StatementPreview.h"
#include "ui/GridView.h"
#include "ui/PrintServices.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDateEdit>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QTabBar>
#include <QTabWidget>

namespace qm::shell {

namespace {

const QColor kTeal(0x00, 0x80, 0x80);

QFont tahoma(int pixels) {
    QFont f(QStringLiteral("Tahoma"));
    f.setPixelSize(pixels);
    return f;
}

void paintTeal(QWidget* w) {
    QPalette p = w->palette();
    p.setColor(QPalette::Window, kTeal);
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

// A tab's grid panel: equal columns and rows of 10 % each, plus rows sized to their content.
QGridLayout* gridPanel(QWidget* sheet, const QString& name, int extraRows = 0) {
    auto* grid = new QGridLayout(sheet);
    grid->setObjectName(name);
    grid->setContentsMargins(0, 0, 0, 0);
    for (int i = 0; i < 10; ++i) {
        grid->setColumnStretch(i, 1);
        grid->setRowStretch(i, 1);
    }
    for (int i = 10; i < 10 + extraRows; ++i)
        grid->setRowStretch(i, 0);
    paintTeal(sheet);
    return grid;
}

template <class W> W* named(W* w, const QString& name, int fontPixels) {
    w->setObjectName(name);
    w->setFont(tahoma(fontPixels));
    return w;
}

void place(QGridLayout* grid, QWidget* w, int column, int columnSpan, int row, int rowSpan = 1,
           bool centred = false) {
    grid->addWidget(w, row, column, rowSpan, columnSpan,
                    centred ? Qt::AlignCenter : Qt::Alignment());
    if (!centred)
        w->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
}

QPushButton* button(const QString& name, const QString& caption, int fontPixels) {
    return named(new QPushButton(caption), name, fontPixels);
}

void focusOrder(const std::vector<QWidget*>& order) {
    for (size_t i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

QLineEdit* highlightedEdit(const QString& name, int fontPixels) {
    auto* edit = named(new QLineEdit, name, fontPixels);
    QPalette p = edit->palette();
    p.setColor(QPalette::Base, edit->palette().color(QPalette::Active, QPalette::Highlight));
    p.setColor(QPalette::Text, edit->palette().color(QPalette::Active, QPalette::HighlightedText));
    edit->setPalette(p);
    return edit;
}

} // namespace

// The sale tab's controls as the counter sees them.
class TfMainPanel::SaleTab : public counter::SaleControls {
public:
    explicit SaleTab(TfMainPanel& w) : w_(w) {}

    QString workerIdText() const override { return w_.WorkerIDEdit->text(); }
    void setWorkerIdText(const QString& text) override { w_.WorkerIDEdit->setText(text); }
    QString productIdText() const override { return w_.ProductIDEdit->text(); }
    void setProductIdText(const QString& text) override { w_.ProductIDEdit->setText(text); }
    void setEnabled(counter::Control c, bool enabled) override { widget(c)->setEnabled(enabled); }
    bool isEnabled(counter::Control c) const override { return widget(c)->isEnabled(); }
    bool checkProductChecked() const override { return w_.CheckProductRadioButton->isChecked(); }
    bool sellChecked() const override { return w_.SellRadioButton->isChecked(); }
    void clearModes() override {
        for (QRadioButton* b : {w_.CheckProductRadioButton, w_.SellRadioButton}) {
            const QSignalBlocker quiet(b);
            b->setAutoExclusive(false);
            b->setChecked(false);
            b->setAutoExclusive(true);
        }
    }
    void setActiveLevel(counter::SummaryLevel level) override {
        w_.cxSummaryGrid->setCurrentWidget(level == counter::SummaryLevel::Basket
                                               ? w_.cxSummaryGridDBTableView1
                                               : w_.cxSummaryGridDBTableView2);
    }
    counter::SummaryLevel activeLevel() const override {
        return w_.cxSummaryGrid->currentWidget() == w_.cxSummaryGridDBTableView2
                   ? counter::SummaryLevel::Check
                   : counter::SummaryLevel::Basket;
    }

private:
    QWidget* widget(counter::Control c) const {
        switch (c) {
        case counter::Control::WorkerIDEdit:
            return w_.WorkerIDEdit;
        case counter::Control::ProductIDEdit:
            return w_.ProductIDEdit;
        case counter::Control::CancelCurrentSellingButton:
            return w_.CancelCurrentSellingButton;
        case counter::Control::DeleteCurrentSummaryPositionButton:
            return w_.DeleteCurrentSummaryPositionButton;
        case counter::Control::GenerateReportForSellButton:
            return w_.GenerateReportForSellButton;
        case counter::Control::FinalizeSellButton:
            return w_.FinalizeSellButton;
        }
        return nullptr;
    }
    TfMainPanel& w_;
};

TfMainPanel::TfMainPanel(const db::DeploymentSettings& settings, Dialogs& dialogs)
    : dialogs_(dialogs), settings_(settings), ibcdbQXR_(std::make_unique<db::Connection>(settings)),
      catalogue_(std::make_unique<db::Catalogue>(*ibcdbQXR_)) {
    setObjectName(QStringLiteral("fMainPanel"));
    setWindowTitle(QStringLiteral("Quelmora - okno główne"));
    setFont(tahoma(11));
    resize(1507, 632);

    basketTable_ = std::make_unique<GridTable>(counter::SaleCounter::basketViewColumns());
    checkTable_ = std::make_unique<GridTable>(counter::SaleCounter::checkViewColumns());
    sellsTable_ =
        std::make_unique<GridTable>(std::vector<GridColumn>{{QStringLiteral("PRACOWNIK_ID"), 85},
                                                            {QStringLiteral("ETYKIETA"), 211},
                                                            {QStringLiteral("ODWO_ID"), 147},
                                                            {QStringLiteral("DATA ZAKUPU"), 204},
                                                            {QStringLiteral("ADRES"), 179},
                                                            {QStringLiteral("KOD_POCZTOWY"), 100},
                                                            {QStringLiteral("ULICA"), 221},
                                                            {QStringLiteral("ZAKLAD"), 143}});
    importErrorsTable_ =
        std::make_unique<GridTable>(std::vector<GridColumn>{{QStringLiteral("POWOD BLEDU"), 158},
                                                            {QStringLiteral("ODWO_ID"), 115},
                                                            {QStringLiteral("KOD"), 177},
                                                            {QStringLiteral("NAZWA"), 194}});
    articlesTable_ = std::make_unique<GridTable>(
        std::vector<GridColumn>{{QStringLiteral("ODWO_ID"), 82},
                                {QStringLiteral("KOD"), 154},
                                {QStringLiteral("NAZWA"), 195},
                                {QStringLiteral("TKANINA_NAZWA"), 213},
                                {QStringLiteral("TKANINA_NAZWA2"), 144},
                                {QStringLiteral("NAZWA_KORPUSU"), 132},
                                {QStringLiteral("ILOSC"), 48},
                                {QStringLiteral("ARTYKUL_RODZIC_ID"), 111},
                                {QStringLiteral("QBM"), 47},
                                {QStringLiteral("CENA"), 78},
                                {QStringLiteral("CENA_Z_VAT"), 83, true}});

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

    buildSaleTab();
    buildReportTab();
    buildImportTab();
    buildPricesTab();
    buildCloseTab();

    saleTab_ = std::make_unique<SaleTab>(*this);
    saleCounter_ = std::make_unique<counter::SaleCounter>(
        dialogs_, *catalogue_, arrayWithDataOfWorkers_, *saleTab_, *basketTable_, *checkTable_,
        [this] { counter::showStatementPreview(dialogs_, *basketTable_, settings_); });
    counter::SaleCounter& sale = *saleCounter_;
    connect(CheckProductRadioButton, &QRadioButton::toggled, this, [this, &sale](bool checked) {
        if (checked)
            handle([&] { sale.CheckProductRadioButtonClick(); });
    });
    connect(SellRadioButton, &QRadioButton::toggled, this, [this, &sale](bool checked) {
        if (checked)
            handle([&] { sale.SellRadioButtonClick(); });
    });
    connect(cxMainPageControl, &QTabWidget::currentChanged, this, [this, &sale](int index) {
        if (cxMainPageControl->widget(index) == cxSellTabSheet)
            handle([&] { sale.cxSellTabSheetShow(); });
    });
    const auto onClick = [this](QPushButton* b, std::function<void()> handler) {
        connect(b, &QPushButton::clicked, this, [this, handler] { handle(handler); });
    };
    onClick(FinalizeSellButton, [&sale] { sale.FinalizeSellButtonClick(); });
    onClick(DeleteCurrentSummaryPositionButton,
            [&sale] { sale.DeleteCurrentSummaryPositionButtonClick(); });
    onClick(CancelCurrentSellingButton, [&sale] { sale.CancelCurrentSellingButtonClick(); });
    onClick(GenerateReportForSellButton, [this] { GenerateReportForSellButtonClick(); });
}

TfMainPanel::~TfMainPanel() {
    // The views go before the tables they show.
    delete cxMainPageControl;
    cxMainPageControl = nullptr;
    catalogue_.reset();
    ibcdbQXR_.reset();
}

void TfMainPanel::buildSaleTab() {
    QGridLayout* g = gridPanel(cxSellTabSheet, QStringLiteral("gpSellPanel"), 2);
    CheckProductRadioButton = named(new QRadioButton(QStringLiteral("Sprawdź produkt")),
                                    QStringLiteral("CheckProductRadioButton"), 33);
    SellRadioButton =
        named(new QRadioButton(QStringLiteral("Sprzedaż")), QStringLiteral("SellRadioButton"), 33);
    cxWorkerIDLabel =
        named(new QLabel(QStringLiteral("ID Pracownika")), QStringLiteral("cxWorkerIDLabel"), 33);
    WorkerIDEdit = highlightedEdit(QStringLiteral("WorkerIDEdit"), 47);
    WorkerIDEdit->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9]*")), WorkerIDEdit));
    cxProductLabel =
        named(new QLabel(QStringLiteral("Etykieta")), QStringLiteral("cxProductLabel"), 47);
    ProductIDEdit = highlightedEdit(QStringLiteral("ProductIDEdit"), 47);

    cxSummaryGrid = named(new QStackedWidget, QStringLiteral("cxSummaryGrid"), 19);
    cxSummaryGridDBTableView1 = new ui::GridView(*basketTable_, 19);
    cxSummaryGridDBTableView1->setObjectName(QStringLiteral("cxSummaryGridDBTableView1"));
    cxSummaryGridDBTableView2 = new ui::GridView(*checkTable_, 19);
    cxSummaryGridDBTableView2->setObjectName(QStringLiteral("cxSummaryGridDBTableView2"));
    cxSummaryGrid->addWidget(cxSummaryGridDBTableView1);
    cxSummaryGrid->addWidget(cxSummaryGridDBTableView2);

    CancelCurrentSellingButton =
        button(QStringLiteral("CancelCurrentSellingButton"), QStringLiteral("Anuluj zakupy"), 27);
    DeleteCurrentSummaryPositionButton = button(
        QStringLiteral("DeleteCurrentSummaryPositionButton"), QStringLiteral("Usuń pozycję"), 27);
    GenerateReportForSellButton = button(QStringLiteral("GenerateReportForSellButton"),
                                         QStringLiteral("Wygeneruj oświadczenie"), 27);
    FinalizeSellButton = button(QStringLiteral("FinalizeSellButton"),
                                QStringLiteral("Sprzedaj wybrane artykuły"), 27);
    for (QPushButton* b : {CancelCurrentSellingButton, DeleteCurrentSummaryPositionButton,
                           GenerateReportForSellButton, FinalizeSellButton})
        b->setFixedHeight(60);

    place(g, CheckProductRadioButton, 0, 3, 0);
    place(g, SellRadioButton, 0, 3, 1);
    place(g, cxWorkerIDLabel, 3, 1, 0, 1, true);
    place(g, WorkerIDEdit, 5, 5, 0, 2);
    place(g, cxProductLabel, 3, 1, 2);
    place(g, ProductIDEdit, 5, 5, 2, 2);
    place(g, cxSummaryGrid, 0, 10, 4, 6);
    for (auto [b, column, span] : {std::tuple{CancelCurrentSellingButton, 0, 2},
                                   {DeleteCurrentSummaryPositionButton, 2, 2},
                                   {GenerateReportForSellButton, 4, 2},
                                   {FinalizeSellButton, 7, 3}}) {
        g->addWidget(b, 10, column, 1, span);
        b->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    }
    focusOrder({CheckProductRadioButton, SellRadioButton, WorkerIDEdit, ProductIDEdit,
                CancelCurrentSellingButton, DeleteCurrentSummaryPositionButton, FinalizeSellButton,
                cxSummaryGridDBTableView1, GenerateReportForSellButton});

    WorkerIDEdit->installEventFilter(this);
    ProductIDEdit->installEventFilter(this);
}

void TfMainPanel::buildReportTab() {
    QGridLayout* g = gridPanel(cxReportForSellsTabSheet, QStringLiteral("gpReportForSellsPanel"));
    AllSellsRadioButton = named(new QRadioButton(QStringLiteral("Wszyscy")),
                                QStringLiteral("AllSellsRadioButton"), 21);
    WorkerIDRadioButton = named(new QRadioButton(QStringLiteral("ID Pracownika")),
                                QStringLiteral("WorkerIDRadioButton"), 21);
    DateRangeRadioButton = named(new QRadioButton(QStringLiteral("Zakres dat (od - do)")),
                                 QStringLiteral("DateRangeRadioButton"), 21);
    const auto picker = [](const QString& name) {
        auto* p = named(new QDateEdit(QDate(2019, 11, 21)), name, 13);
        p->setCalendarPopup(true);
        p->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
        return p;
    };
    DateFromTimePicker = picker(QStringLiteral("DateFromTimePicker"));
    DateToTimePicker = picker(QStringLiteral("DateToTimePicker"));
    cxAllSellsGrid = new ui::GridView(*sellsTable_, 13);
    cxAllSellsGrid->setObjectName(QStringLiteral("cxAllSellsGrid"));
    GenerateReportButton =
        button(QStringLiteral("GenerateReportButton"), QStringLiteral("Wygeneruj raport"), 27);

    place(g, AllSellsRadioButton, 1, 1, 0);
    place(g, WorkerIDRadioButton, 3, 2, 0);
    place(g, DateRangeRadioButton, 5, 2, 0);
    place(g, DateFromTimePicker, 7, 1, 0);
    place(g, DateToTimePicker, 8, 1, 0);
    place(g, cxAllSellsGrid, 1, 8, 1, 8);
    place(g, GenerateReportButton, 7, 2, 9);
    focusOrder({AllSellsRadioButton, WorkerIDRadioButton, DateRangeRadioButton, DateFromTimePicker,
                DateToTimePicker, GenerateReportButton, cxAllSellsGrid});
}

void TfMainPanel::buildImportTab() {
    QGridLayout* g = gridPanel(cxImportCSVFileToDBTabSheet, QStringLiteral("gpImportCSVPanel"));
    cxImportCSVReportGrid = new ui::GridView(*importErrorsTable_, 13);
    cxImportCSVReportGrid->setObjectName(QStringLiteral("cxImportCSVReportGrid"));
    GenerateReportImportCSVButton = button(QStringLiteral("GenerateReportImportCSVButton"),
                                           QStringLiteral("Wygeneruj raport"), 21);
    LoadCSVFileButton =
        button(QStringLiteral("LoadCSVFileButton"), QStringLiteral("Zaladuj plik CSV"), 21);
    place(g, cxImportCSVReportGrid, 2, 6, 1, 8);
    place(g, GenerateReportImportCSVButton, 2, 2, 9);
    place(g, LoadCSVFileButton, 6, 2, 9);
    focusOrder({LoadCSVFileButton, GenerateReportImportCSVButton, cxImportCSVReportGrid});
}

void TfMainPanel::buildPricesTab() {
    QGridLayout* g = gridPanel(cxModifyPricesTabSheet, QStringLiteral("gpModifyPricesPanel"));
    cxModifyPricesGrid = new ui::GridView(*articlesTable_, 13);
    cxModifyPricesGrid->setObjectName(QStringLiteral("cxModifyPricesGrid"));
    GenerateReportInModifyPriceModeButton =
        button(QStringLiteral("GenerateReportInModifyPriceModeButton"),
               QStringLiteral("Wygeneruj raport"), 27);
    RefreshDataButton =
        button(QStringLiteral("RefreshDataButton"), QStringLiteral("Odśwież dane"), 33);
    ModifyPriceButton =
        button(QStringLiteral("ModifyPriceButton"), QStringLiteral("Popraw cenę"), 33);
    place(g, cxModifyPricesGrid, 0, 10, 1, 8);
    place(g, GenerateReportInModifyPriceModeButton, 0, 2, 9);
    place(g, RefreshDataButton, 4, 2, 9);
    place(g, ModifyPriceButton, 8, 2, 9);
    focusOrder({cxModifyPricesGrid, RefreshDataButton, ModifyPriceButton,
                GenerateReportInModifyPriceModeButton});
}

void TfMainPanel::buildCloseTab() {
    QGridLayout* g = gridPanel(cxCloseAppTabSheet, QStringLiteral("gpCloseAppPanel"));
    CloseAppButton =
        button(QStringLiteral("CloseAppButton"), QStringLiteral("Zamknij aplikacje"), 33);
    CloseAppButton->setFixedSize(298, 57);
    place(g, CloseAppButton, 5, 2, 0, 1, true);
    connect(CloseAppButton, &QPushButton::clicked, this, &TfMainPanel::CloseAppButtonClick);
}

void TfMainPanel::openConnection() {
    ibcdbQXR_->open();
}

void TfMainPanel::handle(const std::function<void()>& handler) {
    runGuarded(dialogs_, handler);
}

void TfMainPanel::FormShow() {
    cxMainPageControl->setCurrentWidget(cxSellTabSheet);
    handle([this] { saleCounter_->cxSellTabSheetShow(); });
    if (askYesNo(dialogs_, QStringLiteral("Brak danych pracowników w programie. Czy pobrać dane "
                                          "pracowników?"))) {
        // When the worker query cannot even be opened, the import question is not asked.
        if (!runGuarded(dialogs_, [this] { arrayWithDataOfWorkers_.load(*catalogue_, dialogs_); }))
            return;
    }
    if (askYesNo(dialogs_, QStringLiteral("Czy zaimportować plik CSV z artykułami?"))) {
        cxMainPageControl->setCurrentWidget(cxImportCSVFileToDBTabSheet);
        // The article import comes here.
    }
}

void TfMainPanel::showEvent(QShowEvent* event) {
    if (!shown_) {
        shown_ = true;
        FormShow();
    }
    QWidget::showEvent(event);
}

bool TfMainPanel::WMSysCommand() {
    if (closed_)
        return true;
    if (!askYesNo(dialogs_, QStringLiteral("Czy na pewno zamknąć aplikację?")))
        return false;
    shutDown();
    return true;
}

void TfMainPanel::CloseAppButtonClick() {
    if (closed_ || !askYesNo(dialogs_, QStringLiteral("Czy na pewno zamknąć aplikację?")))
        return;
    shutDown();
    close();
}

void TfMainPanel::shutDown() {
    closed_ = true;
    ibcdbQXR_->close();
    catalogue_->closeAll();
    QApplication::quit();
}

void TfMainPanel::closeEvent(QCloseEvent* event) {
    if (WMSysCommand())
        event->accept();
    else
        event->ignore();
}

void TfMainPanel::GenerateReportForSellButtonClick() {
    counter::StatementEntries entries;
    for (const counter::BasketEntry& e : saleCounter_->arrayForShoppingProcess())
        entries.emplace_back(e.articleName, e.labelText);
    counter::GenerateReportForSellButtonClick(dialogs_, *catalogue_, entries, settings_,
                                              ui::defaultPaperSize());
}

bool TfMainPanel::eventFilter(QObject* watched, QEvent* event) {
    // The key-press handlers see every character typed or scanned into the two fields; the key
    // goes on to the field unchanged.
    if (event->type() == QEvent::KeyPress &&
        (watched == WorkerIDEdit || watched == ProductIDEdit)) {
        const auto* key = static_cast<QKeyEvent*>(event);
        QString typed = key->text();
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
            typed = QString(counter::SaleCounter::kEnter);
        const bool worker = watched == WorkerIDEdit;
        for (const QChar c : typed)
            handle([&] {
                if (worker)
                    saleCounter_->WorkerIDEditKeyPress(c);
                else
                    saleCounter_->ProductIDEditKeyPress(c);
            });
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace qm::shell
