// The 3D view: its switches, the tool bar, and the mouse, wheel and keyboard handlers.

#include "editor/gui/MainForm.h"

#include "render/gl/PoxelLists.h"
#include "render/gl/SceneDrawer.h"
#include "render/gui/OpenGLBox.h"
#include "ui/Language.h"

#include <QAbstractButton>
#include <QAction>
#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QScreen>
#include <QToolButton>
#include <QTreeWidget>

#include <GL/gl.h>

namespace lw {

namespace {

int indexOf(const std::array<QToolButton*, 16>& buttons, const QToolButton* button) {
    for (size_t i = 0; i < buttons.size(); ++i)
        if (buttons[i] == button)
            return static_cast<int>(i);
    return -1;
}

QString degrees(float v) {
    return QString::number(static_cast<double>(v), 'f', 2) + QChar(0xB0);
}

QString fixed2(float v) {
    return QString::number(static_cast<double>(v), 'f', 2);
}

} // namespace

void TMainForm::connectView() {
    TOpenGLBox* box = OpenGLBox_;
    connect(box, &TOpenGLBox::glInitialized, this, &TMainForm::OpenGLBoxGlReady);
    connect(box, &TOpenGLBox::mouseDown, this, &TMainForm::OpenGLBoxMouseDown);
    connect(box, &TOpenGLBox::mouseMove, this, &TMainForm::OpenGLBoxMouseMove);
    connect(box, &TOpenGLBox::mouseUp, this, &TMainForm::OpenGLBoxMouseUp);
    connect(box, &TOpenGLBox::wheelTurned, this, &TMainForm::OpenGLBoxWheel);
    connect(box, &TOpenGLBox::keyDown, this, &TMainForm::OpenGLBoxKeyDown);
    connect(box, &TOpenGLBox::clicked, this, &TMainForm::OpenGLBoxClick);
    connectSwitches();
    connectDrag();
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
    if (watched == TreeView2 && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_L) {
        Button1Click();
        return true;
    }
    if (event->type() == QEvent::Enter || event->type() == QEvent::MouseMove) {
        if (auto* button = qobject_cast<QToolButton*>(watched);
            button && indexOf(toolButtons_, button) >= 0)
            setStatus(0, button->toolTip());
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---- Tools ----------------------------------------------------------------------------------

void TMainForm::updateGizmo() {
    auto gizmoOf = [this](const QToolButton* b) {
        if (b == ToolButton8)
            return GizmoKind::Move;
        if (b == ToolButton9)
            return GizmoKind::Rotate;
        if (b == ToolButton10)
            return GizmoKind::Scale;
        return GizmoKind::None;
    };
    GizmoKind kind = gizmoOf(CurrentTool_);
    if (kind == GizmoKind::None && CurrentTool_ == ToolButton3)
        kind = gizmoOf(PreviousTool_);
    scene_.Gizmo = kind;
}

void TMainForm::updateToolEnabling() {
    // Object tools need a selected poxel of the edited map other than its root, and no brush
    // that works inside it; layers mode keeps moving and scaling (of level corners).
    TPoxel* node = selectedPoxel();
    const bool editable = node && scene_.ShownRoot == doc_->root() && !node->IsRoot &&
                          node != scene_.HeightmapPreview && !modeDown("ButFillPoxel") &&
                          !modeDown("ButGetPoxel") && !modeDown("ButDelPoxel") &&
                          !modeDown("HmPickBut");
    for (QToolButton* b : {ToolButton8, ToolButton9, ToolButton10}) {
        b->setEnabled(editable && !(b == ToolButton9 && modeDown("LayersPick")));
        if (!b->isEnabled() && b == CurrentTool_)
            ToolButton11Click();
    }
    ToolButton6->setEnabled(scene_.SelectedId > 0);
}

void TMainForm::ToolButton1Click(QToolButton* sender) {
    // Another tool ends a running object drag (the right button can arrive during one).
    if (drag_.Active)
        cancelObjectDrag();
    if (sender == ToolButton8 && Restriction_ == RestrictXYZ)
        ToolButton13Click(ToolButton13);
    if (sender == CurrentTool_) {
        sender->setChecked(false);
        QToolButton* previous = PreviousTool_;
        if (previous && previous->isEnabled() &&
            (previous == ToolButton8 || previous == ToolButton9 || previous == ToolButton10)) {
            PreviousTool_ = nullptr;
            CurrentTool_ = nullptr;
            ToolButton1Click(previous);
            return;
        }
        PreviousTool_ = nullptr;
        OpenGLBox_->setCursorCode(CodeSelectNothing);
        ToolButton11->setChecked(true);
        CurrentTool_ = ToolButton11;
    } else {
        sender->setChecked(true);
        OpenGLBox_->setCursorCode(indexOf(toolButtons_, sender) + 1);
        if (CurrentTool_)
            CurrentTool_->setChecked(false);
        PreviousTool_ = CurrentTool_;
        CurrentTool_ = sender;
        SavedCursor_ = OpenGLBox_->cursorCode();
    }
    scene_.MoveArmed = CurrentTool_ == ToolButton8;
    scene_.RotateArmed = CurrentTool_ == ToolButton9;
    scene_.ScaleArmed = CurrentTool_ == ToolButton10;
    updateGizmo();
    repaintView();
}

void TMainForm::ToolButton11Click() {
    if (drag_.Active)
        cancelObjectDrag();
    if (CurrentTool_)
        CurrentTool_->setChecked(false);
    OpenGLBox_->setCursorCode(CodeSelectNothing);
    ToolButton11->setChecked(true);
    CurrentTool_ = ToolButton11;
    scene_.MoveArmed = scene_.RotateArmed = scene_.ScaleArmed = false;
    updateGizmo();
    repaintView();
}

void TMainForm::setRestriction(int restriction) {
    for (size_t i = 0; i < restrictButtons_.size(); ++i)
        restrictButtons_[i]->setChecked(static_cast<int>(i) == restriction);
    Restriction_ = restriction;
    scene_.HoverRestriction = restriction;
}

void TMainForm::ToolButton13Click(QToolButton* sender) {
    setRestriction(indexOf(toolButtons_, sender) - 10);
    repaintView();
}

void TMainForm::ToolButton6Click() {
    scene_.ZoomSelectedRequest = true;
    repaintView();
}

// ---- Mouse, wheel, keys ---------------------------------------------------------------------

QString TMainForm::cameraStatusText(int code, bool dragging) const {
    const TCamera& c = scene_.Camera;
    if (!dragging) {
        static const char* modes[6] = {nullptr,
                                       "[sCameraZoomMode]",
                                       "[SCameraPanMode]",
                                       "[sCameraRotationMode]",
                                       "[sCameraPerspectiveMode]",
                                       "[sCameraDollyMode]"};
        return code >= 1 && code <= 5 ? langText(modes[code]) : QString();
    }
    const QString pan = QStringLiteral("%1 [X:%2 Y:%3 Z:%4]")
                            .arg(langText("[sCameraPosition]"), fixed2(c.CamPan.X),
                                 fixed2(c.CamPan.Y), fixed2(c.CamPan.Z));
    switch (code) {
    case CodeZoom:
        return QStringLiteral("%1 [%2]").arg(langText("[sCameraZoom]"), fixed2(c.CamDistance));
    case CodePan:
    case CodeDolly:
        return pan;
    case CodeRotXY:
        return QStringLiteral("%1 [X:%2 Y:%3]")
            .arg(langText("[sCameraRotation]"), degrees(c.CamPitch), degrees(c.CamYaw));
    case CodePerspective:
        return QStringLiteral("%1 [%2]").arg(langText("[sCameraPerspective]"), degrees(c.CamFov));
    default:
        return QString();
    }
}

void TMainForm::rememberCursor(const QPoint& screenPos) {
    LastCursorPos_ = screenPos;
    QScreen* screen = QGuiApplication::screenAt(screenPos);
    if (!screen)
        return;
    const QRect g = screen->geometry();
    const auto to = wrapPointer({screenPos.x(), screenPos.y()},
                                {g.left(), g.top(), g.left() + g.width(), g.top() + g.height()});
    if (!to)
        return;
    const QPoint target(to->x, to->y);
    QCursor::setPos(screen, target);
    LastCursorPos_ = target;
}

void TMainForm::OpenGLBoxClick() {
    OpenGLBox_->setOnOpenGL(true);
}

QAbstractButton* TMainForm::modeButton(const char* name) const {
    return findChild<QAbstractButton*>(QString::fromLatin1(name));
}

bool TMainForm::modeDown(const char* name) const {
    const QAbstractButton* b = modeButton(name);
    return b && b->isChecked();
}

void TMainForm::OpenGLBoxMouseDown(QMouseEvent* event) {
    if (!OpenGLBox_->OnOpenGL())
        return; // the first click only focuses the view
    const QPoint local = event->position().toPoint();
    const QPoint screenPos = event->globalPosition().toPoint();
    if (event->button() == Qt::LeftButton) {
        // A click acts on what lies under the pointer now: when the last hover pick was made
        // elsewhere or the scene has changed since, pick again first.
        int code = OpenGLBox_->cursorCode();
        const bool hovering = code == CodeSelectNothing || code == CodeMove || code == CodeSelect ||
                              code == CodeRotate || code == CodeScale ||
                              (code >= CodeFill && code <= CodeErase);
        if (hovering && (hoverStale_ || local != hoverPos_)) {
            hoverPick(local);
            code = OpenGLBox_->cursorCode();
        }
        const bool moveDown = ToolButton8->isChecked();
        const bool rotateDown = ToolButton9->isChecked();
        const bool scaleDown = ToolButton10->isChecked();
        // 1. Clicking empty space deselects, unless a mode keeps the selection.
        if (code == CodeSelectNothing && !modeDown("HmPickBut") && !modeDown("LayersPick") &&
            !modeDown("ButFillPoxel") && !modeDown("ButGetPoxel") && !moveDown && !rotateDown &&
            !scaleDown)
            selectById(0);
        // 2. The cell brushes.
        if (code == CodeFill && brushHooks_.FillClick)
            brushHooks_.FillClick(local.x(), local.y());
        if (code == CodeErase && brushHooks_.EraseClick)
            brushHooks_.EraseClick(local.x(), local.y());
        if (code == CodeGetFill && brushHooks_.GetClick)
            brushHooks_.GetClick(local.x(), local.y());
        // 3. Selecting, or picking heightmap points and level corners.
        if (code == CodeSelect) {
            const bool ctrl = event->modifiers() & Qt::ControlModifier;
            if (HoverId_ < 1) {
                selectById(0);
            } else if (modeDown("HmPickBut")) {
                ctrl ? heightPicks_.Add(static_cast<int32_t>(HoverId_))
                     : heightPicks_.SetOnly(static_cast<int32_t>(HoverId_));
                if (brushHooks_.SnapshotHeights)
                    brushHooks_.SnapshotHeights();
                repaintView();
            } else if (modeDown("LayersPick")) {
                ctrl ? layerPicks_.Add(static_cast<int32_t>(HoverId_))
                     : layerPicks_.SetOnly(static_cast<int32_t>(HoverId_));
                repaintView();
            } else {
                selectById(static_cast<int32_t>(HoverId_));
            }
        }
        // 4. A handle makes its restriction the tool bar's.
        if (code == CodeMove || code == CodeRotate || code == CodeScale) {
            if (scene_.HoverRestriction < RestrictXYZ) {
                setRestriction(scene_.HoverRestriction);
            } else {
                setRestriction(RestrictXYZ);
                for (QToolButton* b : restrictButtons_)
                    b->setChecked(false);
            }
            repaintView();
        }
        // 5. The drag of the handle (or of the object itself with the move tool) begins.
        if (code != CodeMove)
            scene_.MoveArmed = false;
        if (code != CodeScale)
            scene_.ScaleArmed = false;
        if (code != CodeRotate)
            scene_.RotateArmed = false;
        if (code == CodeMove)
            beginObjectDrag(DragKind::Move, local);
        else if (code == CodeRotate)
            beginObjectDrag(DragKind::Rotate, local);
        else if (code == CodeScale)
            beginObjectDrag(DragKind::Scale, local);
        LastCursorPos_ = screenPos;
    } else if (event->button() == Qt::MiddleButton) {
        LastCursorPos_ = screenPos;
        SavedCursor_ = OpenGLBox_->cursorCode();
        OpenGLBox_->setCursorCode(CodePan);
    } else if (event->button() == Qt::RightButton) {
        ToolButton1Click(ToolButton3);
    }
}

void TMainForm::OpenGLBoxMouseMove(QMouseEvent* event) {
    if (!OpenGLBox_->OnOpenGL())
        return;
    const int code = OpenGLBox_->cursorCode();
    const QPoint screenPos = event->globalPosition().toPoint();
    const QPoint local = event->position().toPoint();
    if (event->buttons() & (Qt::LeftButton | Qt::MiddleButton)) {
        QString status;
        const bool objectDrag =
            drag_.Active && (code == CodeMove || code == CodeRotate || code == CodeScale);
        if (code >= CodeZoom && code <= CodeDolly) {
            cameraDragStep(scene_.Camera, code, LastCursorPos_.x() - screenPos.x(),
                           LastCursorPos_.y() - screenPos.y());
            status = cameraStatusText(code, true);
        } else if (objectDrag) {
            objectDragStep(local, event->modifiers());
            status = dragStatusText();
        }
        // A fill or erase stroke paints every cell the pointer passes (and repaints itself).
        const bool stroke = (code == CodeFill || code == CodeErase) && brushHooks_.StrokeStep &&
                            !(status = brushHooks_.StrokeStep(local.x(), local.y())).isNull();
        // The pointer wraps at the desktop's edges for endless camera drags; an object follows
        // the pointer, so it must not jump with it.
        if (objectDrag || stroke)
            LastCursorPos_ = screenPos;
        else
            rememberCursor(screenPos);
        if (!stroke)
            repaintView();
        setStatus(0, status);
        return;
    }
    if (code >= CodeZoom && code <= CodeDolly) {
        setStatus(0, cameraStatusText(code, false));
        return;
    }
    if (code == CodeRotZ || code == 11 || code > CodeErase)
        return setStatus(0, QString());
    if (screenPos == LastCursorPos_ && !hoverStale_ && local == hoverPos_)
        return;
    LastCursorPos_ = screenPos;
    hoverPick(local);
}

void TMainForm::hoverPick(const QPoint& local) {
    const bool fill = modeDown("ButFillPoxel");
    const bool erase = modeDown("ButDelPoxel");
    const bool get = modeDown("ButGetPoxel");
    const bool heightPick = modeDown("HmPickBut");
    const bool layersPick = modeDown("LayersPick");
    const bool moveDown = ToolButton8->isChecked();
    const bool rotateDown = ToolButton9->isChecked();
    const bool scaleDown = ToolButton10->isChecked();
    QString mode = langText("[sSelectMode]");
    if (fill) {
        mode = langText("[sFillMode]");
        scene_.BrushPickPass = true;
    }
    if (erase) {
        mode = langText("[sEraseMode]");
        scene_.BrushPickPass = true;
    }
    if (moveDown) {
        mode = langText("[sMoveMode]");
        scene_.MoveArmed = true;
    }
    if (rotateDown) {
        mode = langText("[sRotateMode]");
        scene_.RotateArmed = true;
    }
    if (scaleDown) {
        mode = langText("[sScaleMode]");
        scene_.ScaleArmed = true;
    }
    if (get) {
        mode = langText("[sGetMode]");
        scene_.BrushPickPass = true;
    }
    if (heightPick)
        mode = langText("[sPickMode]");
    if (layersPick)
        mode = langText("[sLayersMode]");

    const uint32_t a = OpenGLBox_->PickAt(local.x(), local.y());
    if (fill || get || erase)
        scene_.BrushPickPass = false;
    hoverPos_ = local;
    hoverStale_ = false;
    if (a < 1) {
        OpenGLBox_->setCursorCode(CodeSelectNothing);
        setStatus(0, mode);
        return;
    }
    const QString numbered = QStringLiteral("%1 [%2]").arg(mode, QString::number(a));
    if (fill || erase || get) {
        OpenGLBox_->setCursorCode(fill ? CodeFill : erase ? CodeErase : CodeGetFill);
        setStatus(0, numbered);
        return;
    }
    static const char* axisNames[8] = {"", "X", "Y", "Z", "XY", "YZ", "XZ", "XYZ"};
    auto handleName = [&](bool scale) {
        if (a >= 1 && a <= 6)
            return QString::fromLatin1(axisNames[a]);
        if (scale && a == 7)
            return QString::fromLatin1(axisNames[7]);
        return langText("[sObject]");
    };
    const int before = scene_.HoverRestriction;
    if (moveDown) {
        OpenGLBox_->setCursorCode(CodeMove);
        setStatus(0, QStringLiteral("%1 [%2]").arg(mode, handleName(false)));
        scene_.HoverRestriction = a < 7 ? static_cast<int>(a) - 1 : Restriction_;
    } else if (rotateDown || scaleDown) {
        if (a > 7) {
            OpenGLBox_->setCursorCode(CodeSelectNothing);
            return;
        }
        OpenGLBox_->setCursorCode(scaleDown ? CodeScale : CodeRotate);
        setStatus(0, QStringLiteral("%1 [%2]").arg(mode, handleName(scaleDown)));
        // The rotate gizmo has no centre handle: over it the tool bar's restriction counts.
        scene_.HoverRestriction = (scaleDown || a < 7) ? static_cast<int>(a) - 1 : Restriction_;
    } else {
        OpenGLBox_->setCursorCode(CodeSelect);
        setStatus(0, numbered);
        if (!heightPick && !layersPick)
            scene_.MoveArmed = scene_.RotateArmed = scene_.ScaleArmed = false;
        HoverId_ = a;
    }
    // The highlighted handle changes nothing a pick sees.
    if (scene_.HoverRestriction != before)
        OpenGLBox_->update();
}

void TMainForm::OpenGLBoxMouseUp(QMouseEvent* event) {
    if (event->button() == Qt::MiddleButton)
        OpenGLBox_->setCursorCode(SavedCursor_);
    if (event->button() != Qt::LeftButton)
        return;
    if (brushHooks_.EndStroke)
        brushHooks_.EndStroke();
    // Layers mode moved level corners instead of the node: its table follows them.
    const bool layers = drag_.Active && drag_.LayersMode;
    finishObjectDrag();
    if (layers && brushHooks_.RefreshLayersVals)
        brushHooks_.RefreshLayersVals();
}

void TMainForm::OpenGLBoxWheel(int steps) {
    scene_.Camera.CamDistance -= 5.0f * static_cast<float>(steps);
    repaintView();
}

void TMainForm::OpenGLBoxKeyDown(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Escape:
        if (drag_.Active)
            cancelObjectDrag();
        break;
    case Qt::Key_M:
        if (QAbstractButton* b = modeButton("ButFillPoxel"); b && b->isEnabled())
            b->click(); // toggles it and runs its handler
        break;
    case Qt::Key_F:
        if (QAbstractButton* b = modeButton("ButGetPoxel"); b && b->isEnabled())
            b->click();
        break;
    case Qt::Key_P:
        if (QAbstractButton* b = modeButton("HmPickBut"); b && b->isEnabled())
            b->click();
        break;
    case Qt::Key_C:
        if (ToolButton6->isEnabled())
            ToolButton6Click();
        break;
    case Qt::Key_Q:
        ToolButton11Click();
        break;
    case Qt::Key_W:
        if (ToolButton8->isEnabled())
            ToolButton1Click(ToolButton8);
        break;
    case Qt::Key_E:
        if (ToolButton9->isEnabled())
            ToolButton1Click(ToolButton9);
        break;
    case Qt::Key_R:
        if (ToolButton10->isEnabled())
            ToolButton1Click(ToolButton10);
        break;
    case Qt::Key_X:
        DollyCamera(scene_.Camera, 1);
        repaintView();
        break;
    case Qt::Key_S:
        DollyCamera(scene_.Camera, -1);
        repaintView();
        break;
    default:
        break;
    }
}

} // namespace lw
