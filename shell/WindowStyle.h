#pragma once

#include <QFont>
#include <QString>
#include <vector>

class QGridLayout;
class QLineEdit;
class QPushButton;
class QWidget;

namespace qm::shell {

// The look the window's tabs share: Tahoma at the layout's pixel sizes, teal sheets, grid panels
// of ten equal columns and rows.
QFont tahoma(int pixels);
void paintTeal(QWidget* w);

// A tab's grid panel: equal columns and rows of 10 % each, plus rows sized to their content.
QGridLayout* gridPanel(QWidget* sheet, const QString& name, int extraRows = 0);

template <class W> W* named(W* w, const QString& name, int fontPixels) {
    w->setObjectName(name);
    w->setFont(tahoma(fontPixels));
    return w;
}

// Puts a control into cells of a grid panel; a centred control keeps its own size, any other one
// fills its cells.
void place(QGridLayout* grid, QWidget* w, int column, int columnSpan, int row, int rowSpan = 1,
           bool centred = false);
QPushButton* button(const QString& name, const QString& caption, int fontPixels);
void focusOrder(const std::vector<QWidget*>& order);
// An edit in the highlight colours, so the operator sees at once where to type.
QLineEdit* highlightedEdit(const QString& name, int fontPixels);

} // namespace qm::shell
