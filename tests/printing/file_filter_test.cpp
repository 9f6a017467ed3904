// File filters written as "description|patterns" reach the Qt file dialogs in their own form,
// and the save dialog appends the filter's extension.
#include "ui/QtDialogs.h"

#include <gtest/gtest.h>

namespace {

TEST(FileFilter, DescriptionAndPatternPairsBecomeQtFilters) {
    struct Case {
        QString filter;
        QString qt;
        QString suffix;
    };
    const Case cases[] = {
        {"PDF Document (*.pdf)|*.pdf;", "PDF Document (*.pdf)", "pdf"},
        {"Pliki CSV|*.csv;*.txt|Wszystkie pliki|*.*",
         "Pliki CSV (*.csv *.txt);;Wszystkie pliki (*.*)", "csv"},
        {"Pliki CSV (*.csv)", "Pliki CSV (*.csv)", "csv"},
        {"", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.filter.toStdString());
        EXPECT_EQ(qm::ui::QtDialogs::qtFileFilter(c.filter).toStdString(), c.qt.toStdString());
        EXPECT_EQ(qm::ui::QtDialogs::defaultSuffix(c.filter).toStdString(), c.suffix.toStdString());
    }
}

} // namespace
