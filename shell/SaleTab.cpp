#include "SaleTab.h"

#include "TfMainPanel.h"
#include "WindowStyle.h"
#include "counter/Statement.h"
#include "counter/StatementPreview.h"
#include "ui/GridView.h"
#include "ui/PrintServices.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QTabWidget>

namespace qm::shell {

SaleTab::SaleTab(TfMainPanel& window) : w_(window) {
    build();
    Session& s = w_.session();
    counter_ = std::make_unique<counter::SaleCounter>(
        s.dialogs(), s.catalogue(), s.arrayWithDataOfWorkers(), *this, s.basketTable(),
        s.checkTable(),
        [&s] { counter::showStatementPreview(s.dialogs(), s.basketTable(), s.settings()); },
        s.ibcdbQXR().codec());
    wire();
}

SaleTab::~SaleTab() = default;

void SaleTab::build() {
    TfMainPanel& w = w_;
    QGridLayout* g = gridPanel(w.cxSellTabSheet, QStringLiteral("gpSellPanel"), 2);
    w.CheckProductRadioButton = named(new QRadioButton(QStringLiteral("Sprawdź produkt")),
                                      QStringLiteral("CheckProductRadioButton"), 33);
    w.SellRadioButton =
        named(new QRadioButton(QStringLiteral("Sprzedaż")), QStringLiteral("SellRadioButton"), 33);
    w.cxWorkerIDLabel =
        named(new QLabel(QStringLiteral("ID Pracownika")), QStringLiteral("cxWorkerIDLabel"), 33);
    w.WorkerIDEdit = highlightedEdit(QStringLiteral("WorkerIDEdit"), 47);
    w.WorkerIDEdit->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9]*")), w.WorkerIDEdit));
    w.cxProductLabel =
        named(new QLabel(QStringLiteral("Etykieta")), QStringLiteral("cxProductLabel"), 47);
    w.ProductIDEdit = highlightedEdit(QStringLiteral("ProductIDEdit"), 47);

    w.cxSummaryGrid = named(new QStackedWidget, QStringLiteral("cxSummaryGrid"), 19);
    w.cxSummaryGridDBTableView1 = new ui::GridView(w.session().basketTable(), 19);
    w.cxSummaryGridDBTableView1->setObjectName(QStringLiteral("cxSummaryGridDBTableView1"));
    w.cxSummaryGridDBTableView2 = new ui::GridView(w.session().checkTable(), 19);
    w.cxSummaryGridDBTableView2->setObjectName(QStringLiteral("cxSummaryGridDBTableView2"));
    w.cxSummaryGrid->addWidget(w.cxSummaryGridDBTableView1);
    w.cxSummaryGrid->addWidget(w.cxSummaryGridDBTableView2);

    w.CancelCurrentSellingButton =
        button(QStringLiteral("CancelCurrentSellingButton"), QStringLiteral("Anuluj zakupy"), 27);
    w.DeleteCurrentSummaryPositionButton = button(
        QStringLiteral("DeleteCurrentSummaryPositionButton"), QStringLiteral("Usuń pozycję"), 27);
    w.GenerateReportForSellButton = button(QStringLiteral("GenerateReportForSellButton"),
                                           QStringLiteral("Wygeneruj oświadczenie"), 27);
    w.FinalizeSellButton = button(QStringLiteral("FinalizeSellButton"),
                                  QStringLiteral("Sprzedaj wybrane artykuły"), 27);
    for (QPushButton* b : {w.CancelCurrentSellingButton, w.DeleteCurrentSummaryPositionButton,
                           w.GenerateReportForSellButton, w.FinalizeSellButton})
        b->setFixedHeight(60);

    place(g, w.CheckProductRadioButton, 0, 3, 0);
    place(g, w.SellRadioButton, 0, 3, 1);
    place(g, w.cxWorkerIDLabel, 3, 1, 0, 1, true);
    place(g, w.WorkerIDEdit, 5, 5, 0, 2);
    place(g, w.cxProductLabel, 3, 1, 2);
    place(g, w.ProductIDEdit, 5, 5, 2, 2);
    place(g, w.cxSummaryGrid, 0, 10, 4, 6);
    for (auto [b, column, span] : {std::tuple{w.CancelCurrentSellingButton, 0, 2},
                                   {w.DeleteCurrentSummaryPositionButton, 2, 2},
                                   {w.GenerateReportForSellButton, 4, 2},
                                   {w.FinalizeSellButton, 7, 3}}) {
        g->addWidget(b, 10, column, 1, span);
        b->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    }
    focusOrder({w.CheckProductRadioButton, w.SellRadioButton, w.WorkerIDEdit, w.ProductIDEdit,
                w.CancelCurrentSellingButton, w.DeleteCurrentSummaryPositionButton,
                w.FinalizeSellButton, w.cxSummaryGridDBTableView1, w.GenerateReportForSellButton});

    w.WorkerIDEdit->installEventFilter(this);
    w.ProductIDEdit->installEventFilter(this);
}

void SaleTab::wire() {
    TfMainPanel& w = w_;
    counter::SaleCounter& sale = *counter_;
    // Re-choosing the mode already in force runs nothing: only a change to checked counts.
    w.onToggledOn(this, w.CheckProductRadioButton,
                  [&sale] { sale.CheckProductRadioButtonClick(); });
    w.onToggledOn(this, w.SellRadioButton, [&sale] { sale.SellRadioButtonClick(); });
    w.onShow(this, w.cxSellTabSheet, [&sale] { sale.cxSellTabSheetShow(); });
    w.onClick(this, w.FinalizeSellButton, [&sale] { sale.FinalizeSellButtonClick(); });
    w.onClick(this, w.DeleteCurrentSummaryPositionButton,
              [&sale] { sale.DeleteCurrentSummaryPositionButtonClick(); });
    w.onClick(this, w.CancelCurrentSellingButton,
              [&sale] { sale.CancelCurrentSellingButtonClick(); });
    w.onClick(this, w.GenerateReportForSellButton, [this] { GenerateReportForSellButtonClick(); });
}

void SaleTab::GenerateReportForSellButtonClick() {
    counter::StatementEntries entries;
    for (const counter::BasketEntry& e : counter_->arrayForShoppingProcess())
        entries.emplace_back(e.articleName, e.labelText);
    Session& s = w_.session();
    counter::GenerateReportForSellButtonClick(s.dialogs(), s.catalogue(), entries, s.settings(),
                                              ui::defaultPaperSize());
}

QString SaleTab::workerIdText() const {
    return w_.WorkerIDEdit->text();
}
void SaleTab::setWorkerIdText(const QString& text) {
    w_.WorkerIDEdit->setText(text);
}
QString SaleTab::productIdText() const {
    return w_.ProductIDEdit->text();
}
void SaleTab::setProductIdText(const QString& text) {
    w_.ProductIDEdit->setText(text);
}
void SaleTab::setEnabled(counter::Control c, bool enabled) {
    widget(c)->setEnabled(enabled);
}
bool SaleTab::isEnabled(counter::Control c) const {
    return widget(c)->isEnabled();
}
bool SaleTab::checkProductChecked() const {
    return w_.CheckProductRadioButton->isChecked();
}
bool SaleTab::sellChecked() const {
    return w_.SellRadioButton->isChecked();
}

void SaleTab::clearModes() {
    for (QRadioButton* b : {w_.CheckProductRadioButton, w_.SellRadioButton}) {
        const QSignalBlocker quiet(b);
        b->setAutoExclusive(false);
        b->setChecked(false);
        b->setAutoExclusive(true);
    }
}

void SaleTab::setActiveLevel(counter::SummaryLevel level) {
    w_.cxSummaryGrid->setCurrentWidget(level == counter::SummaryLevel::Basket
                                           ? w_.cxSummaryGridDBTableView1
                                           : w_.cxSummaryGridDBTableView2);
}

counter::SummaryLevel SaleTab::activeLevel() const {
    return w_.cxSummaryGrid->currentWidget() == w_.cxSummaryGridDBTableView2
               ? counter::SummaryLevel::Check
               : counter::SummaryLevel::Basket;
}

QWidget* SaleTab::widget(counter::Control c) const {
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

bool SaleTab::eventFilter(QObject* watched, QEvent* event) {
    // The key-press handlers see every character typed or scanned into the two fields; the key
    // goes on to the field unchanged.
    if (event->type() == QEvent::KeyPress &&
        (watched == w_.WorkerIDEdit || watched == w_.ProductIDEdit)) {
        const auto* key = static_cast<QKeyEvent*>(event);
        QString typed = key->text();
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
            typed = QString(counter::SaleCounter::kEnter);
        const bool worker = watched == w_.WorkerIDEdit;
        for (const QChar c : typed)
            w_.handle([&] {
                if (worker)
                    counter_->WorkerIDEditKeyPress(c);
                else
                    counter_->ProductIDEditKeyPress(c);
            });
    }
    return QObject::eventFilter(watched, event);
}

} // namespace qm::shell
