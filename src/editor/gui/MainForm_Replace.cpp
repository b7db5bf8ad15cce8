// The tree menu's "Replacer...": the find-and-replace window on the selected node.

#include "editor/gui/MainForm.h"

#include "render/gui/OpenGLBox.h"
#include "replace/gui/ReplacerForm.h"

#include <QScreen>

#include <algorithm>

namespace lw {

TReplacer* TMainForm::replacer() {
    if (!replacer_)
        replacer_ = new TReplacer(*doc_, this);
    return replacer_;
}

namespace {

// The replacer's log is read while its changes show in the view: the window goes over the
// side panels at the main window's right edge, keeping the middle of the view, where the map
// is, in sight (centred, it hid the map behind it), and inside the screen.
void placeClearOfView(QWidget* dialog, const QWidget* mainWindow, const QWidget* view) {
    const QRect owner = mainWindow->geometry();
    const QPoint viewTop = view->mapToGlobal(QPoint(0, 0));
    QRect at(QPoint(0, 0), dialog->size());
    at.moveTopRight(QPoint(owner.right(), viewTop.y()));
    if (const QScreen* screen = mainWindow->screen()) {
        const QRect room = screen->availableGeometry();
        at.moveRight(std::min(at.right(), room.right()));
        at.moveBottom(std::min(at.bottom(), room.bottom()));
        at.moveLeft(std::max(at.left(), room.left()));
        at.moveTop(std::max(at.top(), room.top()));
    }
    dialog->move(at.topLeft());
}

} // namespace

void TMainForm::Replacer1Click() {
    TPoxel* node = treeSelectedPoxel();
    if (!node)
        return;
    TReplacer* window = replacer();
    window->openOn(*node);
    placeClearOfView(window, this, OpenGLBox_);
    window->exec();
    repaintView();
}

} // namespace lw
