#pragma once
// The separate caption label that float fields and check boxes carry beside them on their parent.

#include <QRect>

class QLabel;

namespace lw {

enum class LabelPosition { Above, Below, Left, Right };

// Sizes `label` to its text and places it `spacing` pixels from `control` (geometry in the
// label's parent): above or below aligned left, left or right centred vertically.
void placeControlLabel(QLabel* label, const QRect& control, LabelPosition position, int spacing);

} // namespace lw
