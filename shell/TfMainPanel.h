#pragma once

#include "Session.h"

#include <QWidget>
#include <functional>
#include <memory>

class QTabWidget;
class QRadioButton;
class QLineEdit;
class QPushButton;
class QLabel;
class QDateEdit;
class QStackedWidget;

namespace qm::ui {
class GridView;
}
namespace qm::counter {
class SaleCounter;
}

namespace qm::shell {

class SaleTab;
class SalesReportTab;
class ImportTab;
class PricesTab;

// The program's one window: the five tabs with every control, each tab's file wiring its controls
// to the logic. What the window works on lives in the Session, which outlives it.
class TfMainPanel : public QWidget {
    Q_OBJECT
public:
    explicit TfMainPanel(Session& session);
    ~TfMainPanel() override;

    // Opens ibcdbQXR; throws db::DbError with the client's text when it cannot.
    void openConnection();

    // The first show: the sale tab and the two start questions, asked once the window has been
    // painted, so the operator sees the program behind them.
    void FormShow();
    // The window's close command; true when the window may close.
    bool WMSysCommand();
    void CloseAppButtonClick();

    Session& session() { return session_; }
    Dialogs& dialogs() const { return session_.dialogs(); }
    db::Connection& ibcdbQXR() { return session_.ibcdbQXR(); }
    db::Catalogue& catalogue() { return session_.catalogue(); }
    workers::WorkerDirectory& arrayWithDataOfWorkers() { return session_.arrayWithDataOfWorkers(); }
    counter::SaleCounter& saleCounter();

    // True once "TAK" was given to the close question.
    bool closed() const { return closed_; }
    // True once the start questions have been asked.
    bool startQuestionsAsked() const { return asked_; }

    // Runs one handler under the general error report; false after an error.
    bool handle(const std::function<void()>& handler);
    // Wiring for the tabs: the handler runs under the general error report for as long as
    // `context` lives.
    void onClick(QObject* context, QPushButton* b, std::function<void()> handler);
    void onToggledOn(QObject* context, QRadioButton* b, std::function<void()> handler);
    // When `sheet` becomes the visible tab.
    void onShow(QObject* context, QWidget* sheet, std::function<void()> handler);

    // Controls, by their object names.
    QTabWidget* cxMainPageControl = nullptr;
    QWidget* cxSellTabSheet = nullptr;
    QWidget* cxReportForSellsTabSheet = nullptr;
    QWidget* cxImportCSVFileToDBTabSheet = nullptr;
    QWidget* cxModifyPricesTabSheet = nullptr;
    QWidget* cxCloseAppTabSheet = nullptr;

    QRadioButton* CheckProductRadioButton = nullptr;
    QRadioButton* SellRadioButton = nullptr;
    QLabel* cxWorkerIDLabel = nullptr;
    QLineEdit* WorkerIDEdit = nullptr;
    QLabel* cxProductLabel = nullptr;
    QLineEdit* ProductIDEdit = nullptr;
    QStackedWidget* cxSummaryGrid = nullptr;
    ui::GridView* cxSummaryGridDBTableView1 = nullptr;
    ui::GridView* cxSummaryGridDBTableView2 = nullptr;
    QPushButton* CancelCurrentSellingButton = nullptr;
    QPushButton* DeleteCurrentSummaryPositionButton = nullptr;
    QPushButton* GenerateReportForSellButton = nullptr;
    QPushButton* FinalizeSellButton = nullptr;

    QRadioButton* AllSellsRadioButton = nullptr;
    QRadioButton* WorkerIDRadioButton = nullptr;
    QRadioButton* DateRangeRadioButton = nullptr;
    QDateEdit* DateFromTimePicker = nullptr;
    QDateEdit* DateToTimePicker = nullptr;
    ui::GridView* cxAllSellsGrid = nullptr;
    QPushButton* GenerateReportButton = nullptr;

    ui::GridView* cxImportCSVReportGrid = nullptr;
    QPushButton* GenerateReportImportCSVButton = nullptr;
    QPushButton* LoadCSVFileButton = nullptr;

    ui::GridView* cxModifyPricesGrid = nullptr;
    QPushButton* GenerateReportInModifyPriceModeButton = nullptr;
    QPushButton* RefreshDataButton = nullptr;
    QPushButton* ModifyPriceButton = nullptr;

    QPushButton* CloseAppButton = nullptr;

    // The in-memory tables behind the grid views.
    GridTable& basketTable() { return session_.basketTable(); }
    GridTable& checkTable() { return session_.checkTable(); }
    GridTable& sellsTable() { return session_.sellsTable(); }
    GridTable& importErrorsTable() { return session_.importErrorsTable(); }
    GridTable& articlesTable() { return session_.articlesTable(); }

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildPages();
    void buildCloseTab();
    void askStartQuestions();
    void shutDown();

    Session& session_;
    // The tabs go before the controls they wire, so no handler runs while the window is taken
    // down.
    std::unique_ptr<SaleTab> saleTab_;
    std::unique_ptr<SalesReportTab> salesReportTab_;
    std::unique_ptr<ImportTab> importTab_;
    std::unique_ptr<PricesTab> pricesTab_;
    bool shown_ = false;
    bool asked_ = false;
    bool closed_ = false;
};

} // namespace qm::shell
