#pragma once
// The interaction codes of the 3D view: the number of the cursor shown, which tells what a click
// there does now. The tools set them; the view draws a cursor for each.

namespace lw {

enum InteractionCode : int {
    CodeSelectNothing = 0,
    CodeZoom = 1,
    CodePan = 2,
    CodeRotXY = 3,
    CodePerspective = 4,
    CodeDolly = 5,
    CodeMove = 6,
    CodeRotZ = 7,
    CodeSelect = 8,
    CodeRotate = 9,
    CodeScale = 10,
    CodeFill = 12,
    CodeGetFill = 13,
    CodeErase = 14,
};

} // namespace lw
