// The 3D view: its switches, the tool bar, and the mouse, wheel and keyboard handlers.

#include "editor/gui/MainForm.h"

#include "render/gl/PoxelLists.h"
#include "render/gl/SceneDrawer.h"
#include "render/gui/OpenGLBox.h"
#include "ui/Language.h"

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
    // Object tools need a selected poxel of the edited map other than its root.
    TPoxel* node = selectedPoxel();
    const bool editable = node && scene_.ShownRoot == doc_->root() && !node->IsRoot &&
                          node != scene_.HeightmapPreview;
    for (QToolButton* b : {ToolButton8, ToolButton9, ToolButton10}) {
        b->setEnabled(editable);
        if (!editable && b == CurrentTool_)
            ToolButton11Click();
    }
    ToolButton6->setEnabled(scene_.SelectedId > 0);
}

void TMainForm::ToolButton1Click(QToolButton* sender) {
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

void TMainForm::OpenGLBoxMouseDown(QMouseEvent* event) {
    if (!OpenGLBox_->OnOpenGL())
        return; // the first click only focuses the view
    const int code = OpenGLBox_->cursorCode();
    const QPoint screenPos = event->globalPosition().toPoint();
    if (event->button() == Qt::LeftButton) {
        const bool objectToolDown =
            ToolButton8->isChecked() || ToolButton9->isChecked() || ToolButton10->isChecked();
        if (code == CodeSelectNothing && !objectToolDown) {
            selectById(0);
        }
        if (code == CodeSelect) {
            selectById(HoverId_ < 1 ? 0 : static_cast<int32_t>(HoverId_));
        }
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
        LastCursorPos_ = screenPos;
    } else if (event->button() == Qt::MiddleButton) {
        LastCursorPos_ = screenPos;
        SavedCursor_ = code;
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
    QString status;
    if (event->buttons() & (Qt::LeftButton | Qt::MiddleButton)) {
        if (code >= CodeZoom && code <= CodeDolly) {
            cameraDragStep(scene_.Camera, code, LastCursorPos_.x() - screenPos.x(),
                           LastCursorPos_.y() - screenPos.y());
            status = cameraStatusText(code, true);
        }
        rememberCursor(screenPos);
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
    QString mode = langText("[sSelectMode]");
    if (ToolButton8->isChecked())
        mode = langText("[sMoveMode]");
    else if (ToolButton9->isChecked())
        mode = langText("[sRotateMode]");
    else if (ToolButton10->isChecked())
        mode = langText("[sScaleMode]");
    if (screenPos == LastCursorPos_)
        return;
    LastCursorPos_ = screenPos;
    const QPoint local = event->position().toPoint();
    const uint32_t a = OpenGLBox_->PickAt(local.x(), local.y());
    if (a < 1) {
        OpenGLBox_->setCursorCode(CodeSelectNothing);
        setStatus(0, mode);
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
    if (ToolButton8->isChecked()) {
        OpenGLBox_->setCursorCode(CodeMove);
        setStatus(0, QStringLiteral("%1 [%2]").arg(mode, handleName(false)));
        scene_.HoverRestriction = a < 7 ? static_cast<int>(a) - 1 : Restriction_;
    } else if (ToolButton9->isChecked() || ToolButton10->isChecked()) {
        const bool scale = ToolButton10->isChecked();
        if (a > 7) {
            OpenGLBox_->setCursorCode(CodeSelectNothing);
            return;
        }
        OpenGLBox_->setCursorCode(scale ? CodeScale : CodeRotate);
        setStatus(0, QStringLiteral("%1 [%2]").arg(mode, handleName(scale)));
        scene_.HoverRestriction = static_cast<int>(a) - 1;
    } else {
        OpenGLBox_->setCursorCode(CodeSelect);
        setStatus(0, QStringLiteral("%1 [%2]").arg(mode).arg(a));
        scene_.MoveArmed = scene_.RotateArmed = scene_.ScaleArmed = false;
        HoverId_ = a;
    }
    if (scene_.HoverRestriction != before)
        repaintView();
}

void TMainForm::OpenGLBoxMouseUp(QMouseEvent* event) {
    if (event->button() == Qt::MiddleButton)
        OpenGLBox_->setCursorCode(SavedCursor_);
    // Object drags and their write-back arrive with the editing tools.
}

void TMainForm::OpenGLBoxWheel(int steps) {
    scene_.Camera.CamDistance -= 5.0f * static_cast<float>(steps);
    repaintView();
}

void TMainForm::OpenGLBoxKeyDown(QKeyEvent* event) {
    switch (event->key()) {
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
