#pragma once
// Numbers in edit fields: fixed notation with the locale's decimal separator and no digit
// grouping, the way the float fields show and read them.

#include <QLocale>
#include <QString>

#include <optional>

namespace lw {

// `value` with `precision` decimals (0..16). At most 16 significant digits are shown: places
// beyond them read 0, and a value with more than 16 integer digits is shown in exponent form.
// A value that rounds to zero shows no minus sign.
QString formatFixed(double value, int precision, const QLocale& locale = QLocale());

// Parses a number typed by the user (blanks around it are ignored; no digit grouping; an
// exponent is accepted). Nothing for text that is not a finite number.
std::optional<double> parseFloatText(const QString& text, const QLocale& locale = QLocale());

} // namespace lw
