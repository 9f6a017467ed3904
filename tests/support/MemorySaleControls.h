#pragma once

#include "counter/SaleControls.h"

#include <map>

namespace qm::test {

// The sale tab's controls as plain values. Choosing a mode here only sets the radio buttons (one
// group: choosing one clears the other); the test then runs the click handler itself.
class MemorySaleControls : public qm::counter::SaleControls {
public:
    using Control = qm::counter::Control;
    using SummaryLevel = qm::counter::SummaryLevel;

    QString workerIdText() const override { return workerId; }
    void setWorkerIdText(const QString& text) override { workerId = text; }
    QString productIdText() const override { return productId; }
    void setProductIdText(const QString& text) override { productId = text; }

    void setEnabled(Control control, bool enabled) override { enabled_[control] = enabled; }
    bool isEnabled(Control control) const override {
        const auto it = enabled_.find(control);
        return it == enabled_.end() || it->second;
    }

    bool checkProductChecked() const override { return checkProduct; }
    bool sellChecked() const override { return sell; }
    void clearModes() override { checkProduct = sell = false; }

    void setActiveLevel(SummaryLevel level) override { level_ = level; }
    SummaryLevel activeLevel() const override { return level_; }

    void chooseCheckMode() {
        checkProduct = true;
        sell = false;
    }
    void chooseSellMode() {
        sell = true;
        checkProduct = false;
    }
    bool purchaseButtonsEnabled() const {
        return isEnabled(Control::CancelCurrentSellingButton) &&
               isEnabled(Control::DeleteCurrentSummaryPositionButton) &&
               isEnabled(Control::GenerateReportForSellButton) &&
               isEnabled(Control::FinalizeSellButton);
    }
    bool purchaseButtonsDisabled() const {
        return !isEnabled(Control::CancelCurrentSellingButton) &&
               !isEnabled(Control::DeleteCurrentSummaryPositionButton) &&
               !isEnabled(Control::GenerateReportForSellButton) &&
               !isEnabled(Control::FinalizeSellButton);
    }

    QString workerId;
    QString productId;
    bool checkProduct = false;
    bool sell = false;

private:
    std::map<Control, bool> enabled_;
    SummaryLevel level_ = SummaryLevel::Basket;
};

} // namespace qm::test
