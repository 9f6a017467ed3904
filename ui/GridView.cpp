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
}

GridView::~GridView() {
    table_.setSelectionSource({});
}

} // namespace qm::ui
