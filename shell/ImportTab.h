#pragma once

#include "catalogue/ArticleImport.h"
#include "catalogue/CatalogueControls.h"

#include <QObject>
#include <memory>

namespace qm::shell {

class TfMainPanel;

// The "Import CSV" tab: its controls on the window, the article import that works on them, and
// the report output of its error list.
class ImportTab : public QObject, public catalogue::CatalogueControls {
public:
    explicit ImportTab(TfMainPanel& window);
    ~ImportTab() override;

    catalogue::ArticleImport& articleImport() { return *import_; }

    // The start question "Czy zaimportować plik CSV z artykułami?"; on "TAK" this tab is shown
    // and the import runs.
    void offerStartUpImport();

    void setEnabled(catalogue::Control control, bool enabled) override;
    bool isEnabled(catalogue::Control control) const override;

    void GenerateReportImportCSVButtonClick();

private:
    void build();
    QWidget* widget(catalogue::Control control) const;
    TfMainPanel& w_;
    std::unique_ptr<catalogue::ArticleImport> import_;
};

} // namespace qm::shell
