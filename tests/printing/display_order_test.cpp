// The rows of a grid in the order its view shows them, as reports write them.
#include "core/GridTable.h"
#include "ui/GridView.h"

#include <gtest/gtest.h>

namespace {

TEST(DisplayOrder, FollowsTheViewsSortingAndIsTheGridsOwnOrderOtherwise) {
    qm::GridTable grid({{QStringLiteral("NAZWA"), 100, false}, {QStringLiteral("CENA"), 60, true}});
    const std::pair<const char*, double> rows[] = {
        {"Regał", 19.99}, {"Biurko", 250}, {"Komoda", 3}};
    for (const auto& [name, price] : rows) {
        const int row = grid.appendRow();
        grid.setText(row, 0, QString::fromUtf8(name));
        grid.setNumber(row, 1, price);
    }
    EXPECT_EQ(grid.displayOrder(), (std::vector<int>{0, 1, 2}));
    {
        qm::ui::GridView view(grid, 13);
        EXPECT_EQ(grid.displayOrder(), (std::vector<int>{0, 1, 2}));
        view.sortByColumn(0, Qt::AscendingOrder);
        EXPECT_EQ(grid.displayOrder(), (std::vector<int>{1, 2, 0}));
        view.sortByColumn(1, Qt::DescendingOrder); // numbers as numbers: 250, 19.99, 3
        EXPECT_EQ(grid.displayOrder(), (std::vector<int>{1, 0, 2}));
        grid.appendRow(); // a row added after sorting is shown, and written, too
        EXPECT_EQ(grid.displayOrder().size(), 4u);
    }
    EXPECT_EQ(grid.displayOrder(), (std::vector<int>{0, 1, 2, 3}));

    // An order that would lose or repeat a row is not trusted.
    for (const std::vector<int>& told :
         {std::vector<int>{2, 1}, std::vector<int>{0, 0, 1, 2}, std::vector<int>{3, 2, 1, 7}}) {
        grid.setDisplayOrderSource([told] { return told; });
        EXPECT_EQ(grid.displayOrder(), (std::vector<int>{0, 1, 2, 3}));
    }
    grid.setDisplayOrderSource({});
}

} // namespace
