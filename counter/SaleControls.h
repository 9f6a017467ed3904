#pragma once

#include <QString>

namespace qm::counter {

enum class Control {
    WorkerIDEdit,
    ProductIDEdit,
    CancelCurrentSellingButton,
    DeleteCurrentSummaryPositionButton,
    GenerateReportForSellButton,
    FinalizeSellButton,
};

// The two levels of cxSummaryGrid: the basket view (cxSummaryGridLevel1) and the check view
// (cxSummaryGridLevel2).
enum class SummaryLevel { Basket, Check };

// What the counter needs of the sale tab's controls. The main window implements it on its
// widgets; tests use a plain in-memory implementation.
class SaleControls {
public:
    virtual ~SaleControls() = default;

    virtual QString workerIdText() const = 0;
    virtual void setWorkerIdText(const QString& text) = 0;
    virtual QString productIdText() const = 0;
    virtual void setProductIdText(const QString& text) = 0;

    virtual void setEnabled(Control control, bool enabled) = 0;
    virtual bool isEnabled(Control control) const = 0;

    virtual bool checkProductChecked() const = 0;
    virtual bool sellChecked() const = 0;
    // Clears both radio buttons; no click handler runs.
    virtual void clearModes() = 0;

    virtual void setActiveLevel(SummaryLevel level) = 0;
    virtual SummaryLevel activeLevel() const = 0;
};

} // namespace qm::counter
