// Object drags in the window: the tool modes, handles under the pointer, drags made with
// mouse events (and one with the X server's own pointer) that move, copy and scale nodes,
// their status texts, Escape, a level corner dragged with the layers brush, and undo back to
// the identical map. Also the clicks that must act on what lies under the pointer although no
// hover ran before them.

#include "MainFormFixture.h"

#include "editor/gui/PropertiesPage.h"
#include "editor/tools/ToolController.h"

#include <QAction>
#include <QPushButton>
#include <QToolButton>
#include <QTreeWidget>
#include <QWheelEvent>

#include <cmath>

using namespace lw;
using namespace lwtest;

namespace {

class ObjectDrags : public ShownDemoMap {
protected:
    TOpenGLBox* view() { return form_->OpenGLBox(); }
    void focusView() {
        view()->setOnOpenGL(true);
        ASSERT_TRUE(waitFor([this] { return view()->OnOpenGL(); }, 2000));
    }

    // The client pixel (y down) of point `local` of the gizmo of `kind` on the selected node;
    // `gizmoUnits` counts in the gizmo's drawn size. The layers brush drags in the node's frame.
    QPoint gizmoPixel(DragKind kind, DVec3 local, bool gizmoUnits = true, bool layersMode = false) {
        TPoxel* node = form_->selectedPoxel();
        EXPECT_TRUE(node);
        const auto frames = nodeFrames(*form_->EditRoot(), *node, false);
        EXPECT_TRUE(frames);
        const Mat4 gizmo = gizmoFrame(kind, layersMode, *frames);
        TCamera c = form_->scene().Camera;
        clampCamera(c);
        c.Width = view()->width();
        c.Height = view()->height();
        const double g = gizmoUnits ? c.CamDistance / 15.0 : 1.0;
        const auto w = projectPoint(g * local, gizmo, cameraProjection(c), cameraViewport(c));
        EXPECT_TRUE(w);
        return {static_cast<int>(std::lround(w->X)),
                c.Height - 1 - static_cast<int>(std::lround(w->Y))};
    }

    // Press at `from`, move in steps to `to` and release there, with `mods` held throughout.
    void dragFromTo(QPoint from, QPoint to, Qt::KeyboardModifiers mods = Qt::NoModifier,
                    bool release = true) {
        send(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton, mods);
        for (int i = 1; i <= 8; ++i)
            send(QEvent::MouseMove, from + (to - from) * i / 8, Qt::NoButton, Qt::LeftButton, mods);
        if (release)
            send(QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton, mods);
    }
    void useTool(QToolButton* tool) {
        ASSERT_TRUE(tool->isEnabled());
        tool->click();
        wait(50);
    }
};

TEST_F(ObjectDrags, TheToolsNeedAPoxelOfTheEditedMapOtherThanTheRoot) {
    EXPECT_FALSE(form_->ToolButton8->isEnabled());
    form_->TreeView1->setCurrentItem(form_->TreeView1->topLevelItem(0));
    EXPECT_FALSE(form_->ToolButton8->isEnabled()) << "the root";
    form_->TreeView1->setCurrentItem(static_cast<QTreeWidgetItem*>(tower()->Node));
    EXPECT_TRUE(form_->ToolButton8->isEnabled());
    EXPECT_TRUE(form_->ToolButton9->isEnabled());
    EXPECT_TRUE(form_->ToolButton10->isEnabled());
    // Choosing the move tool while the uniform restriction is on switches to X.
    useTool(form_->ToolButton10);
    form_->ToolButton13->click();
    // The uniform handle: press on the scale gizmo's centre.
    focusView();
    selectAndFrame(tower());
    const QPoint centre = gizmoPixel(DragKind::Scale, {0.13, 0.13, 0.13});
    hover(centre);
    EXPECT_EQ(view()->cursorCode(), CodeScale);
    EXPECT_EQ(panelText(*form_, 0), "Scale Mode [XYZ]");
    send(QEvent::MouseButtonPress, centre, Qt::LeftButton, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, centre, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(form_->tools().restriction(), RestrictXYZ);
    for (QToolButton* b : form_->restrictButtons_)
        EXPECT_FALSE(b->isChecked());
    form_->ToolButton8->click();
    EXPECT_EQ(form_->tools().restriction(), RestrictX);
    EXPECT_TRUE(form_->ToolButton13->isChecked());
    // Keys: Q the select tool, E rotate, R scale, W move.
    keyClick(view(), Qt::Key_Q);
    EXPECT_TRUE(form_->ToolButton11->isChecked());
    keyClick(view(), Qt::Key_E);
    EXPECT_TRUE(form_->ToolButton9->isChecked());
    keyClick(view(), Qt::Key_R);
    EXPECT_TRUE(form_->ToolButton10->isChecked());
    keyClick(view(), Qt::Key_W);
    EXPECT_TRUE(form_->ToolButton8->isChecked());
    // Selecting the root again disables them and falls back to the select tool.
    form_->TreeView1->setCurrentItem(form_->TreeView1->topLevelItem(0));
    EXPECT_FALSE(form_->ToolButton8->isEnabled());
    EXPECT_TRUE(form_->ToolButton11->isChecked());
}

TEST_F(ObjectDrags, AMoveRestrictedToXChangesOnlyPosXAndUndoes) {
    selectAndFrame(tower());
    useTool(form_->ToolButton8);
    focusView();
    const std::vector<uint8_t> before = mapBytes();
    const PoxelContent was = tower()->content();

    // Hovering over the y handle names it and highlights it; pressing there adopts it.
    const QPoint yHandle = gizmoPixel(DragKind::Move, {0, 0.6, 0});
    hover(yHandle);
    EXPECT_EQ(view()->cursorCode(), CodeMove);
    EXPECT_EQ(panelText(*form_, 0), "Move Mode [Y]");
    EXPECT_EQ(form_->scene().HoverRestriction, RestrictY);
    send(QEvent::MouseButtonPress, yHandle, Qt::LeftButton, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, yHandle, Qt::LeftButton, Qt::NoButton);
    EXPECT_TRUE(form_->findChild<QToolButton*>("ToolButton14")->isChecked());
    EXPECT_EQ(form_->tools().restriction(), RestrictY);
    EXPECT_EQ(mapBytes(), before) << "a press without a movement changes nothing";
    EXPECT_FALSE(form_->Undo1->isEnabled());

    // Restriction X by its button, then a drag along the x handle.
    form_->ToolButton13->click();
    const QPoint from = gizmoPixel(DragKind::Move, {0.6, 0, 0});
    const QPoint to = gizmoPixel(DragKind::Move, {0.6, 0, 0}, true) +
                      (gizmoPixel(DragKind::Move, {2.1, 0, 0}, false) -
                       gizmoPixel(DragKind::Move, {0.6, 0, 0}, false));
    hover(from);
    ASSERT_EQ(panelText(*form_, 0), "Move Mode [X]");
    dragFromTo(from, to, Qt::NoModifier, false);
    EXPECT_TRUE(panelText(*form_, 0).startsWith("Move [X:")) << panelText(*form_, 0).toStdString();
    EXPECT_EQ(tower()->content(), was) << "nothing changes before the release";
    EXPECT_TRUE(form_->scene().DragStep.Active);
    send(QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
    EXPECT_FALSE(form_->scene().DragStep.Active);

    const PoxelContent now = tower()->content();
    EXPECT_NEAR(now.Pos.X - was.Pos.X, 1.5, 0.1);
    PoxelContent same = was;
    same.Pos.X = now.Pos.X;
    EXPECT_EQ(now, same) << "only Pos.x changed";
    EXPECT_EQ(form_->Undo1->text(), "Undo Move");
    form_->Undo1->trigger();
    EXPECT_EQ(mapBytes(), before);
    form_->Redo1->trigger();
    EXPECT_EQ(tower()->content(), now);
}

TEST_F(ObjectDrags, ACtrlMoveOfTheObjectMakesOneCopyOnRelease) {
    selectAndFrame(tower());
    useTool(form_->ToolButton8);
    focusView();
    const std::vector<uint8_t> before = mapBytes();
    const size_t children = island()->Children.size();
    const TVec3 pos = tower()->Pos;
    // The object itself (not a handle) moves with the tool bar's restriction.
    const QPoint body = gizmoPixel(DragKind::Move, {0, 0, 0});
    hover(body);
    ASSERT_EQ(panelText(*form_, 0), "Move Mode [Object]");
    const QPoint to = body + (gizmoPixel(DragKind::Move, {1, 0, 0}, false) - body);
    dragFromTo(body, to, Qt::ControlModifier, false);
    EXPECT_TRUE(form_->scene().DragStep.CopyPreview);
    EXPECT_EQ(island()->Children.size(), children) << "no copy before the release";
    wait(50);
    EXPECT_TRUE(saveScreenshot(form_.get(), "drag_ctrl_move"));
    send(QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton, Qt::ControlModifier);

    ASSERT_EQ(island()->Children.size(), children + 1);
    TPoxel* copy = island()->Children.back().get();
    EXPECT_EQ(copy->Name, "Tower");
    EXPECT_EQ(tower()->Pos, pos) << "the original stays";
    EXPECT_NEAR(copy->Pos.X - pos.X, 1, 0.1);
    EXPECT_EQ(copy->Pos.Y, pos.Y);
    EXPECT_EQ(form_->selectedPoxel(), copy) << "the copy is selected";
    EXPECT_EQ(form_->TreeView1->selectedItem(), static_cast<QTreeWidgetItem*>(copy->Node));
    EXPECT_EQ(form_->Undo1->text(), "Undo Move");
    form_->Undo1->trigger();
    EXPECT_EQ(island()->Children.size(), children);
    EXPECT_EQ(mapBytes(), before);
}

TEST_F(ObjectDrags, AUniformScaleWithCtrlScalesTheSubtree) {
    selectAndFrame(rocks());
    useTool(form_->ToolButton10);
    focusView();
    const std::vector<uint8_t> before = mapBytes();
    struct Was {
        TPoxel* node;
        TVec3 pos, size;
    };
    std::vector<Was> below;
    for (TPoxel* n : nodesOf(*rocks()))
        if (n != rocks() && !n->IsEntity)
            below.push_back({n, n->Pos, n->Size});
    ASSERT_GE(below.size(), 6u) << "four rocks, the cairn and its stone";
    const TVec3 rocksPos = rocks()->Pos;

    const QPoint centre = gizmoPixel(DragKind::Scale, {0.13, 0.13, 0.13});
    hover(centre);
    ASSERT_EQ(view()->cursorCode(), CodeScale);
    const QPoint to = centre + QPoint(150, -30);
    dragFromTo(centre, to, Qt::ControlModifier, false);
    EXPECT_TRUE(form_->toolController().objectTool().objectDrag().ScaleChildren);
    EXPECT_EQ(form_->scene().DragStep.Children, form_->scene().DragStep.Draw);
    EXPECT_TRUE(panelText(*form_, 0).startsWith("Scale [X:"));
    wait(50);
    EXPECT_TRUE(saveScreenshot(form_.get(), "drag_ctrl_scale"));
    send(QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton, Qt::ControlModifier);

    const float u = rocks()->Size.X;
    ASSERT_GT(u, 1.05f);
    EXPECT_EQ(rocks()->Size, (TVec3{u, u, u}));
    EXPECT_EQ(rocks()->Pos, rocksPos) << "the selected node keeps its place";
    for (const Was& w : below) {
        EXPECT_EQ(w.node->Size, (TVec3{w.size.X * u, w.size.Y * u, w.size.Z * u})) << w.node->Name;
        EXPECT_EQ(w.node->Pos, (TVec3{w.pos.X * u, w.pos.Y * u, w.pos.Z * u})) << w.node->Name;
    }
    EXPECT_EQ(form_->Undo1->text(), "Undo Scale");
    form_->Undo1->trigger();
    EXPECT_EQ(mapBytes(), before);
}

TEST_F(ObjectDrags, RotatingAboutZShowsTheAngleAndEscapeCancels) {
    selectAndFrame(tower());
    useTool(form_->ToolButton9);
    focusView();
    const std::vector<uint8_t> before = mapBytes();
    // The z circle lies in the xy plane of the parent's axes turned by Rot.z (0 here); only
    // its half facing the viewer is drawn. Find a point of it under the pointer.
    auto onCircle = [this](double degrees) {
        const double a = degrees * 3.14159265358979 / 180;
        return gizmoPixel(DragKind::Move, {std::cos(a), std::sin(a), 0});
    };
    double start = -1;
    for (double a = 0; a < 360 && start < 0; a += 15) {
        hover(onCircle(a));
        if (view()->cursorCode() == CodeRotate && form_->scene().HoverRestriction == RestrictZ)
            start = a;
    }
    ASSERT_GE(start, 0) << "no point of the z circle found";
    EXPECT_EQ(panelText(*form_, 0), "Rotate Mode [Z]");
    const QPoint from = onCircle(start);
    const QPoint to = onCircle(start + 60);
    dragFromTo(from, to, Qt::NoModifier, false);
    EXPECT_TRUE(panelText(*form_, 0).startsWith("Rotate [X:0.00 Y:0.00 Z:"))
        << panelText(*form_, 0).toStdString();
    EXPECT_NEAR(form_->toolController().objectTool().objectDrag().RotateDelta.Z, 60, 5);
    EXPECT_TRUE(form_->scene().DragStep.Lines);
    wait(50);
    EXPECT_TRUE(saveScreenshot(form_.get(), "drag_rotate"));
    keyClick(view(), Qt::Key_Escape);
    EXPECT_FALSE(form_->toolController().objectTool().objectDrag().Active);
    EXPECT_FALSE(form_->scene().DragStep.Active);
    send(QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(mapBytes(), before) << "a cancelled drag changes nothing";
    EXPECT_FALSE(form_->Undo1->isEnabled());

    // The same drag released: one step.
    dragFromTo(from, to);
    EXPECT_NEAR(tower()->Rot.Z, 60, 5);
    EXPECT_EQ(tower()->Rot.Y, 30);
    EXPECT_EQ(form_->Undo1->text(), "Undo Rotate");
    form_->Undo1->trigger();
    EXPECT_EQ(mapBytes(), before);
}

TEST_F(ObjectDrags, AClickActsOnWhatIsUnderThePointerWithoutAHoverFirst) {
    // Frame the tower, select nothing, and click into the view twice without moving: the first
    // click only focuses, the second selects what lies under the pointer and the tree follows.
    selectAndFrame(tower());
    const QPoint centre = gizmoPixel(DragKind::Move, {0, 0, 0});
    const uint32_t under = view()->PickAt(centre.x(), centre.y());
    ASSERT_EQ(under, static_cast<uint32_t>(tower()->ListId));
    form_->selectById(0);
    form_->TreeView1->setFocus();
    mouseClick(view(), centre);
    ASSERT_TRUE(view()->OnOpenGL());
    EXPECT_EQ(form_->SelectedId(), 0) << "the first click only focuses";
    mouseClick(view(), centre);
    EXPECT_EQ(form_->SelectedId(), tower()->ListId) << "not taken for a click on empty space";
    EXPECT_EQ(form_->SelectLabel->text(), "Tower");
    EXPECT_EQ(form_->TreeView1->currentItem(), static_cast<QTreeWidgetItem*>(tower()->Node));
    EXPECT_TRUE(form_->ToolButton6->isEnabled());

    // The same for the first press on a handle: choose the tool, focus, drag at once.
    useTool(form_->ToolButton8);
    form_->TreeView1->setFocus();
    const QPoint xHandle = gizmoPixel(DragKind::Move, {0.6, 0, 0});
    mouseClick(view(), xHandle); // focuses only
    const float x = tower()->Pos.X;
    dragFromTo(xHandle, xHandle + (gizmoPixel(DragKind::Move, {1, 0, 0}, false) -
                                   gizmoPixel(DragKind::Move, {0, 0, 0}, false)));
    EXPECT_NEAR(tower()->Pos.X - x, 1, 0.1);

    // With the select tool, a click on empty space deselects.
    form_->ToolButton11->click();
    QPoint empty(-1, -1);
    for (const QPoint p : {QPoint(2, 2), QPoint(view()->width() - 3, 2),
                           QPoint(view()->width() / 2, 2), QPoint(2, view()->height() / 2)})
        if (empty.x() < 0 && view()->PickAt(p.x(), p.y()) == 0)
            empty = p;
    ASSERT_GE(empty.x(), 0) << "no empty place in the view";
    mouseClick(view(), empty);
    EXPECT_EQ(form_->SelectedId(), 0);
    EXPECT_FALSE(form_->ToolButton6->isEnabled());
}

TEST_F(ObjectDrags, AMiddleButtonDragPansWithAnyToolAndRestoresTheCode) {
    selectAndFrame(tower());
    useTool(form_->ToolButton10);
    focusView();
    const QPoint at(100, 100);
    hover(at);
    const int code = view()->cursorCode();
    const TVec3 pan = form_->scene().Camera.CamPan;
    send(QEvent::MouseButtonPress, at, Qt::MiddleButton, Qt::MiddleButton);
    EXPECT_EQ(view()->cursorCode(), CodePan);
    send(QEvent::MouseMove, at + QPoint(30, 10), Qt::NoButton, Qt::MiddleButton);
    EXPECT_TRUE(panelText(*form_, 0).startsWith("Camera Position"));
    EXPECT_NE(form_->scene().Camera.CamPan, pan);
    send(QEvent::MouseButtonRelease, at + QPoint(30, 10), Qt::MiddleButton, Qt::NoButton);
    EXPECT_EQ(view()->cursorCode(), code);
    EXPECT_FALSE(form_->Undo1->isEnabled()) << "a pan changes no map";

    // A fine wheel's small steps add up to the camera's step.
    const float distance = form_->scene().Camera.CamDistance;
    for (int i = 0; i < 8; ++i) {
        QWheelEvent wheel(at, view()->mapToGlobal(at), QPoint(), QPoint(0, 15), Qt::NoButton,
                          Qt::NoModifier, Qt::ScrollUpdate, false);
        QApplication::sendEvent(view(), &wheel);
    }
    EXPECT_EQ(form_->scene().Camera.CamDistance, distance - 5);
}

TEST_F(ObjectDrags, TheRightButtonTogglesCameraRotationAndBackToTheToolInUse) {
    selectAndFrame(tower());
    useTool(form_->ToolButton8);
    focusView();
    const QPoint at(120, 120);
    const auto rightClick = [&] {
        send(QEvent::MouseButtonPress, at, Qt::RightButton, Qt::RightButton);
        send(QEvent::MouseButtonRelease, at, Qt::RightButton, Qt::NoButton);
    };
    rightClick();
    EXPECT_EQ(view()->cursorCode(), CodeRotXY);
    EXPECT_EQ(panelText(*form_, 0), "Camera Rotation Mode") << "at once, without a movement";
    EXPECT_EQ(form_->scene().Gizmo, GizmoKind::Move) << "the move gizmo stays in view";
    rightClick();
    EXPECT_TRUE(form_->ToolButton8->isChecked()) << "back to the move tool";
    EXPECT_TRUE(panelText(*form_, 0).startsWith("Move Mode"));
    EXPECT_FALSE(form_->ToolButton3->isChecked());
    // From the select tool and back to it, with its cursor.
    form_->ToolButton11->click();
    rightClick();
    EXPECT_EQ(view()->cursorCode(), CodeRotXY);
    rightClick();
    EXPECT_EQ(view()->cursorCode(), CodeSelectNothing);
    EXPECT_TRUE(form_->ToolButton11->isChecked());

    // A left-button drag with the select tool over nothing clears the status text only.
    hover(at);
    const std::vector<uint8_t> before = mapBytes();
    const TCamera camera = form_->scene().Camera;
    send(QEvent::MouseMove, at + QPoint(5, 5), Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(panelText(*form_, 0), "");
    EXPECT_EQ(form_->scene().Camera.CamPan, camera.CamPan);
    EXPECT_EQ(mapBytes(), before);
}

TEST_F(ObjectDrags, ALevelCornerDraggedWithTheLayersBrushIsOneLayersStep) {
    selectAndFrame(tower());
    form_->PropertiesPage->LayersPick->click();
    ASSERT_TRUE(form_->ToolButton13->isChecked()) << "level corners start along X";
    useTool(form_->ToolButton8);
    focusView();
    form_->toolController().layerPicks().SoftLen = 1;
    form_->toolController().layerPicks().SetOnly(
        4 + 10 * 2); // corner 4 of level 2: its x = 0 edge moves on X
    const std::vector<uint8_t> before = mapBytes();
    const PoxelContent was = tower()->content();

    const QPoint from = gizmoPixel(DragKind::Move, {0.6, 0, 0}, true, true);
    const QPoint to = from + (gizmoPixel(DragKind::Move, {1.5, 0, 0}, false, true) -
                              gizmoPixel(DragKind::Move, {0, 0, 0}, false, true));
    hover(from);
    ASSERT_EQ(view()->cursorCode(), CodeMove);
    dragFromTo(from, to);

    PoxelContent same = was;
    same.LayerHigh[2].X = tower()->LayerHigh[2].X;
    EXPECT_EQ(tower()->content(), same) << "only the picked corner's level moved";
    EXPECT_NEAR(tower()->LayerHigh[2].X - was.LayerHigh[2].X, 1.5, 0.15);
    EXPECT_EQ(form_->Undo1->text(), "Undo Layers");
    form_->Undo1->trigger();
    EXPECT_EQ(mapBytes(), before);
}

// The X server's own pointer, moved by xdotool: nothing of Qt's event path is bypassed.
TEST_F(ObjectDrags, ARealPointerDragMovesTheNode) {
    if (!canDrivePointer())
        GTEST_SKIP() << "needs an X server and xdotool";
    selectAndFrame(tower());
    useTool(form_->ToolButton8);
    focusView();
    const std::vector<uint8_t> before = mapBytes();
    const PoxelContent was = tower()->content();
    const QPoint from = view()->mapToGlobal(gizmoPixel(DragKind::Move, {0.6, 0, 0}));
    const QPoint by = gizmoPixel(DragKind::Move, {1.5, 0, 0}, false) -
                      gizmoPixel(DragKind::Move, {0, 0, 0}, false);
    QProcess xdotool;
    startPointerDrag(xdotool, {from, from + by});
    ASSERT_TRUE(xdotool.waitForStarted());
    EXPECT_TRUE(waitFor([&] { return form_->Undo1->isEnabled(); }, 8000));
    xdotool.waitForFinished();
    const PoxelContent now = tower()->content();
    EXPECT_NEAR(now.Pos.X - was.Pos.X, 1.5, 0.1);
    PoxelContent same = was;
    same.Pos.X = now.Pos.X;
    EXPECT_EQ(now, same);
    form_->Undo1->trigger();
    EXPECT_EQ(mapBytes(), before);
}

} // namespace
