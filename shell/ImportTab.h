#pragma once

#include <QObject>

namespace qm::shell {

class TfMainPanel;

// The "Import CSV" tab: its controls on the window and their wiring.
class ImportTab : public QObject {
public:
    explicit ImportTab(TfMainPanel& window);

    void GenerateReportImportCSVButtonClick();

private:
    void build();
    TfMainPanel& w_;
};

} // namespace qm::shell
