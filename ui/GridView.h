#pragma once

#include "core/GridTable.h"

#include <QTableView>

class QSortFilterProxyModel;

namespace qm::ui {

// A table view over a GridTable: sortable by a click on a heading, one row selected at a time,
// the selected view row mapped back to the grid's own row, and the rows' order as shown told to
// the grid.
class GridView : public QTableView {
public:
    GridView(GridTable& table, int fontPixels, QWidget* parent = nullptr);
    ~GridView() override;
    GridTable& table() const { return table_; }

private:
    GridTable& table_;
    QSortFilterProxyModel* proxy_;
};

} // namespace qm::ui
