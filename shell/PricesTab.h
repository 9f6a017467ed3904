#pragma once

#include "catalogue/ArticleList.h"

#include <QObject>
#include <memory>

namespace qm::shell {

class TfMainPanel;

// The "Popraw Ceny" tab: its controls on the window, the article list with price correction that
// works on them, and the report output of the list.
class PricesTab : public QObject {
public:
    explicit PricesTab(TfMainPanel& window);
    ~PricesTab() override;

    catalogue::ArticleList& articleList() { return *list_; }

    void GenerateReportInModifyPriceModeButtonClick();

private:
    void build();
    TfMainPanel& w_;
    std::unique_ptr<catalogue::ArticleList> list_;
};

} // namespace qm::shell
