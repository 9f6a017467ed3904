#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <QVariant>
#include <functional>
#include <optional>
#include <variant>
#include <vector>

namespace qm {

struct GridColumn {
    QString caption;
    int width = 0; // pixels at 96 per inch; 0 for the view's default width
    bool numeric = false;
};

// An in-memory grid that the program fills itself, row by row; no widget per cell, so long lists
// stay light. The view that shows it may sort it; selectedRow() always answers in the grid's own
// row order, and displayOrder() tells the order in which the view shows the rows.
class GridTable : public QAbstractTableModel {
public:
    explicit GridTable(std::vector<GridColumn> columns, QObject* parent = nullptr);

    const std::vector<GridColumn>& columns() const { return columns_; }
    int columnIndex(const QString& caption) const; // -1 when there is none

    int rows() const { return rows_; }
    void clearRows();
    int appendRow();
    // Room for this many rows in all, so that a long fill does not move the cells it has written.
    void reserveRows(int rows);
    void removeRow(int row);
    void setText(int row, int column, const QString& text);
    void setNumber(int row, int column, double value);
    QString text(int row, int column) const;
    QVariant value(int row, int column) const;

    // Many rows at once: the views are told once, at the end.
    void beginBulk();
    void endBulk();
    // Keeps the grid in bulk mode for as long as it lives, however the filling ends.
    class Bulk {
    public:
        explicit Bulk(GridTable& grid) : grid_(grid) { grid_.beginBulk(); }
        ~Bulk() { grid_.endBulk(); }
        Bulk(const Bulk&) = delete;
        Bulk& operator=(const Bulk&) = delete;

    private:
        GridTable& grid_;
    };

    // The selected row in grid order, or none. The view installs how it is found.
    std::optional<int> selectedRow() const;
    void setSelectionSource(std::function<std::optional<int>()> source) {
        selection_ = std::move(source);
    }

    // The grid's rows in the order the view shows them (each a row in grid order); the grid's
    // own order when no view tells it, or when what the view tells is not one of each row.
    std::vector<int> displayOrder() const;
    void setDisplayOrderSource(std::function<std::vector<int>()> source) {
        displayOrder_ = std::move(source);
    }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    // Where the cell of a row and column in range is kept; std::out_of_range for any other.
    size_t cellIndex(int row, int column) const;

    std::vector<GridColumn> columns_;
    // A cell never written, a text or a number.
    using Cell = std::variant<std::monostate, QString, double>;
    // The rows one after another, a cell for each column.
    std::vector<Cell> cells_;
    int rows_ = 0;
    std::function<std::optional<int>()> selection_;
    std::function<std::vector<int>()> displayOrder_;
    int bulk_ = 0;
};

} // namespace qm
