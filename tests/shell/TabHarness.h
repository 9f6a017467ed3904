#pragma once

// What the tests of the report, import and prices tabs do as the operator does: a click on a tab,
// on a column heading, on a row; the rows a grid view shows; the report file read back.

#include "shell/TfMainPanel.h"
#include "ui/GridView.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QList>
#include <QStringList>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <ostream>

// Texts in test messages as text, not as bytes.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace qm::test {

inline const QString kGenerateReport = QStringLiteral("Czy na pewno wygenerować raport?");
inline const QString kReportForm =
    QStringLiteral("Jaka forma raportu jest dla Ciebie odpowiednia?");
inline const QStringList kReportFormCaptions{QStringLiteral("PDF"), QStringLiteral("CSV")};
inline const QString kCsvSaved =
    QStringLiteral("Plik z rozszerzeniem CSV został zapisany w lokalizacji, w której znajduje się "
                   "program (plik .exe), czyli: ");

using Rows = QList<QStringList>;

// A click on the tab's caption in the tab bar.
inline void clickTab(shell::TfMainPanel& window, QWidget* sheet) {
    QTabBar* bar = window.cxMainPageControl->tabBar();
    const int index = window.cxMainPageControl->indexOf(sheet);
    ASSERT_GE(index, 0);
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
    ASSERT_EQ(window.cxMainPageControl->currentWidget(), sheet);
}

// A click on a column heading, which sorts the view by that column.
inline void clickHeading(ui::GridView* view, int column) {
    QHeaderView* header = view->horizontalHeader();
    const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                    header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
}

// A click on a row as the view shows it (from 0, in display order).
inline void clickRow(ui::GridView* view, int shownRow) {
    const QModelIndex index = view->model()->index(shownRow, 0);
    view->scrollTo(index);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
}

// The column captions the view shows.
inline QStringList shownCaptions(const ui::GridView* view) {
    QStringList captions;
    const QAbstractItemModel* m = view->model();
    for (int c = 0; c < m->columnCount(); ++c)
        captions << m->headerData(c, Qt::Horizontal).toString();
    return captions;
}

// Every row as the view shows it, in display order, each cell as its displayed text.
inline Rows shownRows(const ui::GridView* view) {
    Rows rows;
    const QAbstractItemModel* m = view->model();
    for (int r = 0; r < m->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < m->columnCount(); ++c)
            cells << m->index(r, c).data().toString();
        rows << cells;
    }
    return rows;
}

// Every row in the grid's own order.
inline Rows gridRows(const GridTable& grid) {
    Rows rows;
    for (int r = 0; r < grid.rows(); ++r) {
        QStringList cells;
        for (int c = 0; c < int(grid.columns().size()); ++c)
            cells << grid.text(r, c);
        rows << cells;
    }
    return rows;
}

// One column of the rows.
inline QStringList column(const Rows& rows, int c) {
    QStringList values;
    for (const QStringList& row : rows)
        values << row.value(c);
    return values;
}

// The process's working directory is a fresh temporary folder while the object lives.
class InTemporaryDirectory {
public:
    InTemporaryDirectory() : previous_(QDir::currentPath()) {
        EXPECT_TRUE(dir_.isValid());
        EXPECT_TRUE(QDir::setCurrent(dir_.path()));
    }
    ~InTemporaryDirectory() { QDir::setCurrent(previous_); }
    InTemporaryDirectory(const InTemporaryDirectory&) = delete;
    InTemporaryDirectory& operator=(const InTemporaryDirectory&) = delete;
    QString path() const { return QDir(dir_.path()).absolutePath(); }
    QString filePath(const QString& name) const { return QDir(path()).filePath(name); }

private:
    QTemporaryDir dir_;
    QString previous_;
};

// A report CSV file: the byte-order mark, then quoted values separated by ";" on lines separated
// by CR LF. The first row holds the captions.
inline Rows readReportCsv(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "no report file " << path.toStdString();
        return {};
    }
    QByteArray bytes = f.readAll();
    if (!bytes.startsWith("\xEF\xBB\xBF")) {
        ADD_FAILURE() << path.toStdString() << " does not start with the byte-order mark";
        return {};
    }
    const QString text = QString::fromUtf8(bytes.mid(3));
    Rows rows;
    QStringList row;
    QString value;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == QLatin1Char('"') && i + 1 < text.size() && text[i + 1] == QLatin1Char('"')) {
                value += c;
                ++i;
            } else if (c == QLatin1Char('"')) {
                quoted = false;
            } else {
                value += c;
            }
        } else if (c == QLatin1Char('"')) {
            quoted = true;
        } else if (c == QLatin1Char(';')) {
            row << value;
            value.clear();
        } else if (c == QLatin1Char('\r') && i + 1 < text.size() &&
                   text[i + 1] == QLatin1Char('\n')) {
            row << value;
            value.clear();
            rows << row;
            row.clear();
            ++i;
        } else {
            ADD_FAILURE() << "unquoted character in " << path.toStdString() << " at " << i;
            return {};
        }
    }
    row << value;
    rows << row;
    return rows;
}

} // namespace qm::test
