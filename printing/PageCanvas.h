#pragma once

#include <QFont>
#include <QSizeF>
#include <QString>
#include <vector>

class QPainter;
class QPagedPaintDevice;

namespace qm::printing {

enum class Align { Left, Right, Centre };

// One text as placed on a page. Positions are in inches from the page's top-left corner.
struct DrawnText {
    int page = 0;        // from 0
    int row = 0;         // line of the page, from 0
    double baseline = 0; // below the top edge
    double x = 0;        // the column's start, or the centre of a centred text
    Align align = Align::Left;
    double width = 0; // the column's width; 0 for a centred text
    QString font;     // the family asked for, e.g. "Arial"
    double size = 0;  // points
    bool bold = false;
    QString text; // as drawn, after any cut

    bool operator==(const DrawnText&) const = default;
};

// Where a canvas puts its texts.
class PageSurface {
public:
    virtual ~PageSurface() = default;
    // Ends the current page and starts the next one.
    virtual void newPage() = 0;
    virtual void drawText(const DrawnText& text) = 0;
};

// Keeps every text instead of drawing it: the page content without rendering.
class RecordingSurface : public PageSurface {
public:
    void newPage() override { ++pages_; }
    void drawText(const DrawnText& text) override { texts_.push_back(text); }

    int pageCount() const { return pages_; }
    const std::vector<DrawnText>& texts() const { return texts_; }

private:
    int pages_ = 1;
    std::vector<DrawnText> texts_;
};

// Moves the painter's origin to the paper's top-left corner, whatever margins the device keeps.
void moveOriginToPaperCorner(QPainter& painter, const QPagedPaintDevice& device);

// Draws on a painter that is active on a paged device (a PDF writer or a printer). Positions are
// taken from the paper's corner whatever margins the device keeps.
class PainterSurface : public PageSurface {
public:
    PainterSurface(QPainter& painter, QPagedPaintDevice& device);
    void newPage() override;
    void drawText(const DrawnText& text) override;

private:
    QPainter& painter_;
    QPagedPaintDevice& device_;
};

// A page drawn line by line, in the manner of a line printer with tab stops: a cursor on the
// current line, a list of columns walked from the first after each new line, and a current font.
// The line advance is the current font's line height, 1.2 times its size; the first line's
// baseline lies four fifths of the default font's line height below the top edge (margins are 0),
// so at 12 points line r from 1 on has its baseline 0.1 + 0.2 * r inches below the top edge.
class PageCanvas {
public:
    // The page size in inches. Each page starts in the default font, Arial 10 points, regular.
    PageCanvas(PageSurface& surface, QSizeF pageInches);

    static constexpr double kDefaultSize = 10.0;
    static QString defaultFamily() { return QStringLiteral("Arial"); }

    // Moves to the start of the next line; the column walk restarts at the first column.
    void newLine();
    // Drops all columns.
    void clearColumns();
    // Appends a column from position (inches), of the width, with the text aligned left or right
    // inside it; no inner margin.
    void setColumn(double position, Align align, double width);
    // Prints in the next column of the line. A text wider than the column loses characters from
    // its right end, one by one, until it fits; no ellipsis is added.
    void printInColumn(const QString& text);
    // Prints the text centred on the position, on the current line; never cut.
    void printCentred(const QString& text, double position);
    void setFont(const QString& family, double size);
    void boldOn() { bold_ = true; }
    void boldOff() { bold_ = false; }

    // Ends the page and starts the next one on its first line, in the default font, with no
    // columns.
    void newPage();

    int page() const { return page_; }
    int row() const { return row_; }
    double baseline() const { return baseline_; }
    QSizeF pageSize() const { return pageInches_; }
    // Line height of the current font in inches.
    double lineHeight() const { return lineHeight(size_); }
    static double lineHeight(double size) { return 1.2 * size / 72.0; }
    // Whether the line that many new lines below the current one, in the current font, still ends
    // (baseline plus the fifth of the line height below it) within the page.
    bool fits(int linesAhead = 0) const;

    QFont currentFont() const;
    // The longest start of the text that fits the width in the font; whole characters only.
    static QString cutToWidth(const QString& text, const QFont& font, double width);

private:
    void startPage();
    void draw(const QString& text, double x, Align align, double width);

    struct Column {
        double position;
        Align align;
        double width;
    };

    PageSurface& surface_;
    QSizeF pageInches_;
    int page_ = 0;
    int row_ = 0;
    double baseline_ = 0;
    QString family_;
    double size_ = kDefaultSize;
    bool bold_ = false;
    std::vector<Column> columns_;
    size_t nextColumn_ = 0;
};

} // namespace qm::printing
