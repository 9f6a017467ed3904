#pragma once

#include <QFont>
#include <QString>
#include <QStringList>

namespace qm::printing {

// The face a page really uses for a family asked by name. Arial and Times New Roman are set in
// their metric-compatible Liberation faces, named explicitly so that the result does not hang on
// the machine's font substitution rules; Tahoma is Wine's, made known to the application the
// first time it is asked for; any other family is used as asked.
QString installedFamily(const QString& family);

// A font of the (mapped) family in points, unhinted so that its widths scale with the size.
QFont reportFont(const QString& family, double points, bool bold = false);

// Advance width of the text in inches, measured at 1200 dots per inch whatever the screen: the
// same value on every machine and for every output device.
double textWidthInches(const QFont& font, const QString& text);

// Line spacing (ascent + descent + leading) of the font in inches, measured as above.
double lineSpacingInches(const QFont& font);

// Height above the baseline of the font in inches, measured as above.
double ascentInches(const QFont& font);

// The text broken into lines no wider than the width (inches): at its own line breaks, between
// words, and inside a word too long for a line. Nothing is left out; a text that fits is one line.
QStringList wrapToWidth(const QFont& font, const QString& text, double width);

} // namespace qm::printing
