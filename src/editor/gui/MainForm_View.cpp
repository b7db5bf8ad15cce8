// The 3D view: its switches, and its mouse, wheel and keyboard events handed to the tools as
// plain input.

#include "editor/gui/MainForm.h"

#include "editor/tools/ToolController.h"
#include "render/gl/PoxelLists.h"
#include "render/gui/OpenGLBox.h"
#include "ui/Language.h"

#include <QAction>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QToolButton>
#include <QTreeWidget>

#include <GL/gl.h>

#include <algorithm>

namespace lw {

namespace {

bool isToolButton(const std::array<QToolButton*, 16>& buttons, const QObject* watched) {
    return std::find(buttons.begin(), buttons.end(), watched) != buttons.end();
}

PointerInput pointerInput(const TOpenGLBox& view, const QMouseEvent& e) {
    PointerInput in;
    in.x = e.position().x();
    in.y = e.position().y();
    const QPoint screen = e.globalPosition().toPoint();
    in.screen = {screen.x(), screen.y()};
    in.button = e.button();
    in.buttons = e.buttons();
    in.modifiers = e.modifiers();
    in.focused = view.OnOpenGL();
    return in;
}

} // namespace

void TMainForm::connectView() {
    TOpenGLBox* box = OpenGLBox_;
    connect(box, &TOpenGLBox::glInitialized, this, &TMainForm::OpenGLBoxGlReady);
    connect(box, &TOpenGLBox::mouseDown, this,
            [this, box](QMouseEvent* e) { controller_->press(pointerInput(*box, *e)); });
    connect(box, &TOpenGLBox::mouseMove, this,
            [this, box](QMouseEvent* e) { controller_->move(pointerInput(*box, *e)); });
    connect(box, &TOpenGLBox::mouseUp, this,
            [this, box](QMouseEvent* e) { controller_->release(pointerInput(*box, *e)); });
    connect(box, &TOpenGLBox::pointerLeft, this, [this] { controller_->leave(); });
    connect(box, &TOpenGLBox::wheelTurned, this,
            [this](int angleDelta) { controller_->wheel(angleDelta); });
    connect(box, &TOpenGLBox::keyDown, this, [this](QKeyEvent* e) { controller_->key(e->key()); });
    // A click gives the view the focus (the first one does nothing else).
    connect(box, &TOpenGLBox::clicked, this, [box] { box->setOnOpenGL(true); });
    connectSwitches();
    connectToolButtons();
}

void TMainForm::connectSwitches() {
    auto onToggle = [this](QAction* action, bool SceneState::*flag) {
        connect(action, &QAction::toggled, this, [this, flag](bool on) {
            scene_.*flag = on;
            repaintView();
        });
    };
    onToggle(ShowGrid1, &SceneState::ShowGrid);
    onToggle(Wireframe1, &SceneState::Wireframe);
    onToggle(extures1, &SceneState::ShowTextures);
    onToggle(HideName1, &SceneState::HideName);
    onToggle(DrawPoint, &SceneState::ShowPoints);
    onToggle(Water1, &SceneState::Water);
    onToggle(BoxMode1, &SceneState::BoxMode);
    // Kestrel placement takes effect with the next frame.
    connect(KestrelEmitters1, &QAction::toggled, this,
            [this](bool on) { scene_.KestrelEmitters = on; });
    connect(ShowEmmiters1, &QAction::toggled, this, [this](bool on) {
        scene_.ShowDummy = on;
        HideName1->setEnabled(on);
        repaintView();
    });
    connect(CullFace1, &QAction::toggled, this, [this](bool on) {
        scene_.CullFace = on;
        if (OpenGLBox_->glReady())
            OpenGLBox_->withContext(
                [on] { on ? glEnable(GL_CULL_FACE) : glDisable(GL_CULL_FACE); });
        repaintView();
    });
}

void TMainForm::OpenGLBoxGlReady() {
    if (!OpenGLBox_->glError().isEmpty())
        QMessageBox::critical(this, langText("[sError]"), OpenGLBox_->glError());
    scene_.ShowGrid = ShowGrid1->isChecked();
    scene_.Wireframe = Wireframe1->isChecked();
    if (!scene_.CullFace)
        glDisable(GL_CULL_FACE);
    // A new context has no lists: build every document again (the context is current here).
    for (TPoxel* root : {doc_->root(), doc_->importMapRoot(), doc_->importObjectRoot()})
        if (root)
            gl::BuildPoxelTree(*root, nullptr);
    if (scene_.ShownRoot)
        scene_.ZoomSelectedRequest = true;
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
    if (treeKey(watched, event))
        return true;
    if (watched == TreeView2 && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_L) {
        Button1Click();
        return true;
    }
    if (event->type() == QEvent::Enter || event->type() == QEvent::MouseMove) {
        if (isToolButton(toolButtons_, watched))
            setStatus(0, static_cast<QToolButton*>(watched)->toolTip());
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace lw
