#pragma once
// The look: the active and unactive colours, the three styles that choose them and the gradient
// every panel, grid and spinner is painted with.

#include <QColor>
#include <QImage>
#include <QPalette>

#include <cstdint>
#include <optional>

namespace lw {

class Settings;

// A colour as stored in the settings: 0x00BBGGRR, red in the low byte.
using TColor = std::uint32_t;

inline constexpr TColor rgbColor(int r, int g, int b) {
    return TColor(r & 0xFF) | TColor(g & 0xFF) << 8 | TColor(b & 0xFF) << 16;
}
QColor toQColor(TColor c);
TColor fromQColor(const QColor& c); // drops alpha

enum class StyleKind { Default = 1, System = 2, User = 3 };
// A stored style number; nothing for numbers other than 1, 2 and 3.
std::optional<StyleKind> styleKindFromNumber(qint64 number);

struct StyleColors {
    TColor active;
    TColor unactive;
    friend bool operator==(const StyleColors&, const StyleColors&) = default;
};

inline constexpr StyleColors kInitialStyleColors{0xCFAE89, 0x7F5A33}; // before any style loads
inline constexpr StyleColors kDefaultStyleColors{0xFFFFFF, 0xBBAB9D};

// The user's own pair; black until read from the settings or picked.
struct UserColors {
    TColor active = 0;
    TColor unactive = 0;
};

// The pair a style stands for. System takes the palette's window background (active) and button
// face (unactive).
StyleColors colorsForStyle(StyleKind kind, const UserColors& user, const QPalette& palette);

// The colours painting uses now; global to the process like the palette.
const StyleColors& styleColors();
void setStyleColors(const StyleColors& colors);
inline TColor activeColor() {
    return styleColors().active;
}
inline TColor unactiveColor() {
    return styleColors().unactive;
}

// The stored style: its number (1 when absent, as stored otherwise) and the user colours
// (black when absent or not a number).
struct StoredStyle {
    qint64 number = 1;
    UserColors user;
};
StoredStyle readStoredStyle(const Settings& settings);
// Stores a choice: the user colours (User only) and then "Style".
void writeStyleChoice(Settings& settings, StyleKind kind, const UserColors& user);

// Start-up: sets the current colours from the settings. A style number other than 1..3 leaves
// the colours as they are. Returns the style in force, if any.
std::optional<StyleKind> loadStyle(const Settings& settings, const QPalette& palette);
// The same with the program's settings and the application palette (needs a QGuiApplication).
std::optional<StyleKind> loadStyle();

enum class GradientDirection { Vertical = 0, Horizontal = 1 };

// A 24-bit image of 1 x length (vertical) or length x 1 (horizontal) pixels that callers stretch
// over a rectangle. Non-symmetric: index 0 is `second`, the last index `first`. Symmetric: `first`
// at both ends and `second` in the middle. Channels are rounded to the nearest integer, halves to
// even. Lengths below 1 give a null image; length 1 is just `second`.
QImage styleGradient(GradientDirection direction, int length, TColor first, bool symmetric,
                     TColor second);
// The same with the current colours: unactive as first, active as second.
QImage styleGradient(GradientDirection direction, int length, bool symmetric);

} // namespace lw
