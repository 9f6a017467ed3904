#pragma once

#include <QObject>

namespace qm::shell {

class TfMainPanel;

// The "Raport sprzedazy" tab: its controls on the window and their wiring.
class SalesReportTab : public QObject {
public:
    explicit SalesReportTab(TfMainPanel& window);

private:
    void build();
    TfMainPanel& w_;
};

} // namespace qm::shell
