#pragma once

#include <QObject>

namespace qm::shell {

class TfMainPanel;

// The "Popraw Ceny" tab: its controls on the window and their wiring.
class PricesTab : public QObject {
public:
    explicit PricesTab(TfMainPanel& window);

    void GenerateReportInModifyPriceModeButtonClick();

private:
    void build();
    TfMainPanel& w_;
};

} // namespace qm::shell
