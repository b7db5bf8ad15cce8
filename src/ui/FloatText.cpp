#include "ui/FloatText.h"

#include <algorithm>
#include <cmath>

namespace lw {

namespace {

constexpr int kSignificantDigits = 16;

QLocale plainNumbers(QLocale locale) {
    locale.setNumberOptions(QLocale::OmitGroupSeparator | QLocale::RejectGroupSeparator);
    return locale;
}

} // namespace

QString formatFixed(double value, int precision, const QLocale& locale) {
    const QLocale loc = plainNumbers(locale);
    precision = std::clamp(precision, 0, kSignificantDigits);
    if (!std::isfinite(value))
        return loc.toString(value);
    int decimals = precision;
    if (value != 0.0) {
        const int integerDigits = int(std::floor(std::log10(std::fabs(value)))) + 1;
        if (integerDigits > kSignificantDigits)
            return loc.toString(value, 'e', kSignificantDigits - 1);
        decimals = std::min(precision, std::max(0, kSignificantDigits - integerDigits));
    }
    QString text = loc.toString(value, 'f', decimals);
    if (decimals < precision) {
        if (decimals == 0)
            text += loc.decimalPoint();
        text += QString(precision - decimals, loc.zeroDigit().at(0));
    }
    // "-0.000" for a tiny negative value reads like a different number; show it unsigned.
    const QString minus = loc.negativeSign();
    if (text.startsWith(minus)) {
        const QString digits = text.mid(minus.size());
        const bool allZero = std::all_of(digits.begin(), digits.end(), [&](QChar c) {
            return c == loc.zeroDigit().at(0) || loc.decimalPoint().contains(c);
        });
        if (allZero)
            text = digits;
    }
    return text;
}

std::optional<double> parseFloatText(const QString& text, const QLocale& locale) {
    bool ok = false;
    const double v = plainNumbers(locale).toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

} // namespace lw
