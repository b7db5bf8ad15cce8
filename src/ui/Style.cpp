#include "ui/Style.h"

#include "ui/Settings.h"

#include <QGuiApplication>

#include <cmath>
#include <cstdlib>

namespace lw {

namespace {

StyleColors gCurrent = kInitialStyleColors;

int channel(TColor c, int shift) {
    return int(c >> shift & 0xFF);
}

// Only the low 24 bits are a colour; a stored value may carry anything above them.
TColor storedColor(const Settings& settings, const char* name) {
    const std::optional<qint64> v = settings.integer(QString::fromLatin1(name));
    return v ? TColor(std::uint64_t(*v) & 0xFFFFFF) : 0;
}

} // namespace

QColor toQColor(TColor c) {
    return QColor(channel(c, 0), channel(c, 8), channel(c, 16));
}

TColor fromQColor(const QColor& c) {
    return rgbColor(c.red(), c.green(), c.blue());
}

std::optional<StyleKind> styleKindFromNumber(qint64 number) {
    if (number < 1 || number > 3)
        return std::nullopt;
    return static_cast<StyleKind>(number);
}

StyleColors colorsForStyle(StyleKind kind, const UserColors& user, const QPalette& palette) {
    switch (kind) {
    case StyleKind::Default:
        return kDefaultStyleColors;
    case StyleKind::System:
        return {fromQColor(palette.color(QPalette::Active, QPalette::Base)),
                fromQColor(palette.color(QPalette::Active, QPalette::Button))};
    case StyleKind::User:
        break;
    }
    return {user.active, user.unactive};
}

const StyleColors& styleColors() {
    return gCurrent;
}

void setStyleColors(const StyleColors& colors) {
    gCurrent = colors;
}

StoredStyle readStoredStyle(const Settings& settings) {
    StoredStyle stored;
    if (settings.contains(QString::fromLatin1(settings::kStyle)))
        stored.number = settings.integer(QString::fromLatin1(settings::kStyle)).value_or(0);
    stored.user.active = storedColor(settings, settings::kUserActiveColor);
    stored.user.unactive = storedColor(settings, settings::kUserUnActiveColor);
    return stored;
}

void writeStyleChoice(Settings& settings, StyleKind kind, const UserColors& user) {
    if (kind == StyleKind::User) {
        settings.setInteger(QString::fromLatin1(settings::kUserActiveColor), user.active);
        settings.setInteger(QString::fromLatin1(settings::kUserUnActiveColor), user.unactive);
    }
    settings.setInteger(QString::fromLatin1(settings::kStyle), static_cast<int>(kind));
}

std::optional<StyleKind> loadStyle(const Settings& settings, const QPalette& palette) {
    const StoredStyle stored = readStoredStyle(settings);
    const std::optional<StyleKind> kind = styleKindFromNumber(stored.number);
    if (kind)
        setStyleColors(colorsForStyle(*kind, stored.user, palette));
    return kind;
}

std::optional<StyleKind> loadStyle() {
    return loadStyle(Settings(), QGuiApplication::palette());
}

QImage styleGradient(GradientDirection direction, int length, TColor first, bool symmetric,
                     TColor second) {
    if (length < 1)
        return {};
    const bool vertical = direction == GradientDirection::Vertical;
    QImage image(vertical ? 1 : length, vertical ? length : 1, QImage::Format_RGB888);
    const int last = length - 1;
    for (int i = 0; i < length; ++i) {
        double t = 0.0; // a single pixel has no run to spread over: it is the second colour
        if (last > 0)
            t = symmetric ? std::abs(2 * i - length + 1) / double(last) : i / double(last);
        int rgb[3];
        for (int k = 0; k < 3; ++k) {
            const int a = channel(first, 8 * k);
            const int b = channel(second, 8 * k);
            rgb[k] = int(std::nearbyint(b + (a - b) * t));
        }
        image.setPixel(vertical ? 0 : i, vertical ? i : 0, qRgb(rgb[0], rgb[1], rgb[2]));
    }
    return image;
}

QImage styleGradient(GradientDirection direction, int length, bool symmetric) {
    return styleGradient(direction, length, unactiveColor(), symmetric, activeColor());
}

} // namespace lw
