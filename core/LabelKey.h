#pragma once

#include <QString>
#include <optional>

namespace qm {

// The label key of a label text: the part that names the article in the database.
//   two or more "/": the characters between the first and the second "/";
//   exactly one "/":  the characters after it;
//   no "/":           the whole text.
// "12/3456/78", "12/3456" and "3456" all give "3456"; "12//78" gives the empty text. Splitting
// happens only at "/", so no character of the text is ever cut in half.
QString labelKey(const QString& labelText);

// A text in decimal digits, with an optional sign and blanks around it, as a 32-bit whole number;
// nothing for any other text or a number out of range.
std::optional<qint32> wholeNumber(const QString& text);

// A text as it is quoted in an error message: cut short when it is long.
QString quotedInMessage(const QString& text);

} // namespace qm
