#include "GridView.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QSortFilterProxyModel>

namespace qm::ui {

GridView::GridView(GridTable& table, int fontPixels, QWidget* parent)
    : QTableView(parent), table_(table), proxy_(new QSortFilterProxyModel(this)) {
    proxy_->setSourceModel(&table);
    proxy_->setSortRole(Qt::UserRole);
    setModel(proxy_);
    setSortingEnabled(true);
    sortByColumn(-1, Qt::AscendingOrder); // grid order until the user sorts
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    verticalHeader()->setVisible(false);
    QFont f = font();
    f.setPixelSize(fontPixels);
    setFont(f);
    horizontalHeader()->setFont(f);
    verticalHeader()->setDefaultSectionSize(QFontMetrics(f).height() + 6);
    const auto& columns = table.columns();
    for (int i = 0; i < int(columns.size()); ++i)
        if (columns[size_t(i)].width > 0)
            horizontalHeader()->resizeSection(i, columns[size_t(i)].width);
    table.setSelectionSource([this]() -> std::optional<int> {
        const QModelIndex current = selectionModel()->currentIndex();
        if (!current.isValid() || !selectionModel()->isRowSelected(current.row(), {}))
            return std::nullopt;
        const QModelIndex source = proxy_->mapToSource(current);
        if (!source.isValid())
            return std::nullopt;
        return source.row();
    });
    table.setDisplayOrderSource([this] {
        std::vector<int> order;
        const int rows = proxy_->rowCount();
        order.reserve(size_t(rows));
        for (int r = 0; r < rows; ++r)
            order.push_back(proxy_->mapToSource(proxy_->index(r, 0)).row());
        return order;
    });
}

GridView::~GridView() {
    table_.setSelectionSource({});
    table_.setDisplayOrderSource({});
}

} // namespace qm::ui
