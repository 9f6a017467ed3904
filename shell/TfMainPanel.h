#pragma once

#include "core/Dialogs.h"
#include "core/GridTable.h"
#include "counter/SaleCounter.h"
#include "db/Catalogue.h"
#include "workers/WorkerDirectory.h"

#include <QWidget>
#include <memory>

class QTabWidget;
class QRadioButton;
class QLineEdit;
class QPushButton;
class QLabel;
class QDateEdit;
class QStackedWidget;
class QGridLayout;

namespace qm::ui {
class GridView;
}

namespace qm::shell {

// The program's one window. It holds every control, the database connection with its procedure
// components, and the state of the counter; its handlers hand the work over to the logic.
class TfMainPanel : public QWidget {
    Q_OBJECT
public:
    TfMainPanel(const db::DeploymentSettings& settings, Dialogs& dialogs);
    ~TfMainPanel() override;

    // Opens ibcdbQXR; throws db::DbError with the client's text when it cannot.
    void openConnection();

    void FormShow();
    // The window's close command; true when the window may close.
    bool WMSysCommand();
    void CloseAppButtonClick();

    Dialogs& dialogs() const { return dialogs_; }
    db::Connection& ibcdbQXR() { return *ibcdbQXR_; }
    db::Catalogue& catalogue() { return *catalogue_; }
    workers::WorkerDirectory& arrayWithDataOfWorkers() { return arrayWithDataOfWorkers_; }
    counter::SaleCounter& saleCounter() { return *saleCounter_; }

    void GenerateReportForSellButtonClick();

    // True once "TAK" was given to the close question.
    bool closed() const { return closed_; }

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
    GridTable& basketTable() { return *basketTable_; }
    GridTable& checkTable() { return *checkTable_; }
    GridTable& sellsTable() { return *sellsTable_; }
    GridTable& importErrorsTable() { return *importErrorsTable_; }
    GridTable& articlesTable() { return *articlesTable_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildSaleTab();
    void buildReportTab();
    void buildImportTab();
    void buildPricesTab();
    void buildCloseTab();
    void shutDown();
    // Runs one handler under the general error report.
    void handle(const std::function<void()>& handler);

    class SaleTab;

    Dialogs& dialogs_;
    db::DeploymentSettings settings_;
    std::unique_ptr<db::Connection> ibcdbQXR_;
    std::unique_ptr<db::Catalogue> catalogue_;
    std::unique_ptr<GridTable> basketTable_, checkTable_, sellsTable_, importErrorsTable_,
        articlesTable_;
    workers::WorkerDirectory arrayWithDataOfWorkers_;
    std::unique_ptr<SaleTab> saleTab_;
    std::unique_ptr<counter::SaleCounter> saleCounter_;
    bool shown_ = false;
    bool closed_ = false;
};

} // namespace qm::shell
