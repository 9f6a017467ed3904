#pragma once

#include "counter/SaleControls.h"
#include "counter/SaleCounter.h"

#include <QObject>
#include <memory>

namespace qm::shell {

class TfMainPanel;

// The sale tab: its controls on the window, the counter that works on them, and the wiring from
// each control's event to the counter's handler of the same name.
class SaleTab : public QObject, public counter::SaleControls {
public:
    explicit SaleTab(TfMainPanel& window);
    ~SaleTab() override;

    counter::SaleCounter& counter() { return *counter_; }

    // The click of "Wygeneruj oświadczenie".
    void GenerateReportForSellButtonClick();

    QString workerIdText() const override;
    void setWorkerIdText(const QString& text) override;
    QString productIdText() const override;
    void setProductIdText(const QString& text) override;
    void setEnabled(counter::Control c, bool enabled) override;
    bool isEnabled(counter::Control c) const override;
    bool checkProductChecked() const override;
    bool sellChecked() const override;
    void clearModes() override;
    void setActiveLevel(counter::SummaryLevel level) override;
    counter::SummaryLevel activeLevel() const override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void build();
    void wire();
    QWidget* widget(counter::Control c) const;

    TfMainPanel& w_;
    std::unique_ptr<counter::SaleCounter> counter_;
};

} // namespace qm::shell
