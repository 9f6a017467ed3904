#include "WindowStyle.h"

#include <QGridLayout>
#include <QLineEdit>
#include <QPushButton>

namespace qm::shell {

namespace {
const QColor kTeal(0x00, 0x80, 0x80);
}

QFont tahoma(int pixels) {
    QFont f(QStringLiteral("Tahoma"));
    f.setPixelSize(pixels);
    return f;
}

void paintTeal(QWidget* w) {
    QPalette p = w->palette();
    p.setColor(QPalette::Window, kTeal);
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

QGridLayout* gridPanel(QWidget* sheet, const QString& name, int extraRows) {
    auto* grid = new QGridLayout(sheet);
    grid->setObjectName(name);
    grid->setContentsMargins(0, 0, 0, 0);
    for (int i = 0; i < 10; ++i) {
        grid->setColumnStretch(i, 1);
        grid->setRowStretch(i, 1);
    }
    for (int i = 10; i < 10 + extraRows; ++i)
        grid->setRowStretch(i, 0);
    paintTeal(sheet);
    return grid;
}

void place(QGridLayout* grid, QWidget* w, int column, int columnSpan, int row, int rowSpan,
           bool centred) {
    grid->addWidget(w, row, column, rowSpan, columnSpan,
                    centred ? Qt::AlignCenter : Qt::Alignment());
    if (!centred)
        w->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
}

QPushButton* button(const QString& name, const QString& caption, int fontPixels) {
    return named(new QPushButton(caption), name, fontPixels);
}

void focusOrder(const std::vector<QWidget*>& order) {
    for (size_t i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

QLineEdit* highlightedEdit(const QString& name, int fontPixels) {
    auto* edit = named(new QLineEdit, name, fontPixels);
    QPalette p = edit->palette();
    p.setColor(QPalette::Base, edit->palette().color(QPalette::Active, QPalette::Highlight));
    p.setColor(QPalette::Text, edit->palette().color(QPalette::Active, QPalette::HighlightedText));
    edit->setPalette(p);
    return edit;
}

} // namespace qm::shell
