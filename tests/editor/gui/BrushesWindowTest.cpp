// The brushes in the window: their buttons showing the tool model (no mode left down where it
// cannot apply), strokes of the cell brushes through the view's mouse events and cell picks, the
// get brush filling the settings, the heightmap brush over its snapshot, Auto Blur; each stroke
// one undo step that gives back the identical map.

#include "MainFormFixture.h"

#include "editor/gui/PoxelTree.h"
#include "editor/gui/PropertiesPage.h"
#include "editor/gui/ValueGrids.h"
#include "editor/tools/ToolController.h"
#include "textures/TextureCodes.h"
#include "ui/gui/CheckBoxX.h"
#include "ui/gui/EditX.h"

#include <QAction>
#include <QMessageBox>
#include <QPushButton>
#include <QToolButton>
#include <QTreeWidget>
#include <QUndoStack>

#include <functional>

using namespace lw;
using namespace lwtest;

namespace {

class BrushWindow : public MainFormFixture {
protected:
    void SetUp() override {
        MainFormFixture::SetUp();
        showDemoMap();
        if (IsSkipped() || HasFatalFailure())
            return;
        page_ = form_->PropertiesPage;
        selectGround();
    }

    TOpenGLBox* view() { return form_->OpenGLBox(); }
    ToolController& tools() { return form_->toolController(); }
    TPoxel* ground() { return form_->EditRoot()->Children[0]->Children[0].get(); }
    QUndoStack& stack() { return *form_->document().undoStack(); }

    void selectGround() {
        form_->TreeView1->setCurrentItem(static_cast<QTreeWidgetItem*>(ground()->Node));
        ASSERT_EQ(form_->selectedPoxel(), ground());
        form_->ToolButton6->click();
        wait(150);
    }

    // Client pixels whose cell pick names a cell of the ground, spread over the view.
    std::vector<QPoint> cellPixels() {
        std::vector<QPoint> found;
        for (int y = 40; y < view()->height() - 40; y += 25)
            for (int x = 40; x < view()->width() - 40; x += 25) {
                const uint32_t p = cellAt({x, y});
                if (p >= 1 && p <= ground()->Voxels.size())
                    found.emplace_back(x, y);
            }
        return found;
    }
    uint32_t cellAt(QPoint at) { return pickExact(*view(), at.x(), at.y(), PickPass::Cells); }
    void focusView() {
        view()->setOnOpenGL(true);
        ASSERT_TRUE(waitFor([this] { return view()->OnOpenGL(); }, 2000));
    }
    // A stroke through the view: press at the first pixel, a movement to each next, release.
    void stroke(const std::vector<QPoint>& path) {
        hover(path.front());
        send(QEvent::MouseButtonPress, path.front(), Qt::LeftButton, Qt::LeftButton);
        for (const QPoint& at : path)
            send(QEvent::MouseMove, at, Qt::NoButton, Qt::LeftButton);
        send(QEvent::MouseButtonRelease, path.back(), Qt::LeftButton, Qt::NoButton);
    }

    void settings(double box, double mat, double corners, double blur) {
        page_->EditX18->setFloatVal(box);
        page_->EditX17->setFloatVal(mat);
        page_->EditX19->setFloatVal(corners);
        page_->EditX20->setFloatVal(blur);
    }
    QString codeRow(size_t cell) {
        TTextCodeModel* m = page_->textCodeModel();
        return m->data(m->index(int(cell), 1), Qt::DisplayRole).toString();
    }

    TPropertiesPage* page_ = nullptr;
};

} // namespace

TEST_F(BrushWindow, BrushButtonsReleaseEachOtherAndSwitchTheTools) {
    EXPECT_EQ(page_->ButFillPoxel->accessibleName(), "Fill");
    EXPECT_EQ(page_->ButGetPoxel->accessibleName(), "Get");
    EXPECT_EQ(page_->ButDelPoxel->accessibleName(), "Erase");
    EXPECT_TRUE(form_->ToolButton8->isEnabled());
    EXPECT_FALSE(form_->DrawPoint->isEnabled());

    page_->ButFillPoxel->click();
    EXPECT_TRUE(page_->ButFillPoxel->isChecked());
    EXPECT_TRUE(form_->DrawPoint->isEnabled()) << "Show Points goes with the fill brush";
    EXPECT_TRUE(page_->TextCodeTab->testAttribute(Qt::WA_SetCursor));
    for (QToolButton* b : {form_->ToolButton8, form_->ToolButton9, form_->ToolButton10})
        EXPECT_FALSE(b->isEnabled());

    page_->ButGetPoxel->click();
    EXPECT_FALSE(page_->ButFillPoxel->isChecked()) << "one cell brush at a time";
    EXPECT_FALSE(form_->DrawPoint->isEnabled());
    page_->ButGetPoxel->click();
    EXPECT_FALSE(page_->TextCodeTab->testAttribute(Qt::WA_SetCursor));
    EXPECT_TRUE(form_->ToolButton8->isEnabled());

    page_->ButDelPoxel->click();
    page_->HmPickBut->click();
    EXPECT_FALSE(page_->ButDelPoxel->isChecked());
    EXPECT_TRUE(page_->HmHeightEdit->isEnabled());
    EXPECT_FALSE(form_->ToolButton8->isEnabled());
    EXPECT_TRUE(form_->ToolButton11->isChecked()) << "picking is done with the select tool";

    page_->LayersPick->click();
    EXPECT_FALSE(page_->HmPickBut->isChecked());
    EXPECT_FALSE(page_->HmHeightEdit->isEnabled());
    EXPECT_TRUE(form_->ToolButton13->isChecked()) << "level corners start along X";
    EXPECT_TRUE(form_->ToolButton8->isEnabled());
    EXPECT_TRUE(form_->ToolButton10->isEnabled());
    EXPECT_FALSE(form_->ToolButton9->isEnabled());
    for (size_t i = RestrictXY; i <= RestrictZX; ++i)
        EXPECT_FALSE(form_->restrictButtons_[i]->isEnabled());
    page_->LayersPick->click();
    EXPECT_TRUE(form_->ToolButton9->isEnabled());
    EXPECT_TRUE(form_->restrictButtons_[RestrictXY]->isEnabled());

    // Erase, then a group: released, not left down and disabled; the object tools come back.
    page_->ButDelPoxel->click();
    form_->TreeView1->setCurrentItem(form_->TreeView1->topLevelItem(0)->child(0));
    EXPECT_FALSE(page_->ButDelPoxel->isChecked());
    EXPECT_FALSE(page_->ButDelPoxel->isEnabled());
    EXPECT_TRUE(form_->ToolButton8->isEnabled());
    selectGround();
    EXPECT_FALSE(page_->ButDelPoxel->isChecked());
    EXPECT_TRUE(page_->ButDelPoxel->isEnabled());
}

// Fill or Get down, then a new map, an opened one or an imported one: the brush goes up, the
// view stops being in its mode and M cannot press it over the root.
TEST_F(BrushWindow, DocumentsReleaseTheCellBrushes) {
    const std::vector<std::pair<const char*, std::function<void()>>> events = {
        {"New map", [this] { form_->newMap(); }},
        {"Open", [this] { form_->openMapFile(demoPath_); }},
        {"Import Map", [this] { form_->importMapFile(writeMap("other.xom")); }},
    };
    for (const auto& [what, event] : events) {
        form_->openMapFile(demoPath_);
        selectGround();
        page_->ButFillPoxel->click();
        ASSERT_TRUE(page_->ButFillPoxel->isChecked()) << what;
        event();
        EXPECT_EQ(form_->tools().cellBrush(), CellBrush::None) << what;
        EXPECT_FALSE(page_->ButFillPoxel->isChecked()) << what;
        EXPECT_FALSE(page_->ButFillPoxel->isEnabled()) << what;
        view()->setOnOpenGL(true);
        keyClick(view(), Qt::Key_M);
        EXPECT_FALSE(page_->ButFillPoxel->isChecked()) << what;
        hover({5, 5});
        EXPECT_FALSE(panelText(*form_, 0).startsWith("Fill Mode")) << what;
    }
}

TEST_F(BrushWindow, StrokesThroughTheViewAreOneStepAndSeeTheCellsOfThePress) {
    const std::vector<QPoint> pixels = cellPixels();
    ASSERT_GE(pixels.size(), 3u) << "the framed ground shows its cells";
    const auto before = mapBytes();
    page_->ButFillPoxel->click();
    settings(2, 0, 0, 0);
    focusView();

    const QPoint first = pixels[pixels.size() / 2];
    const uint32_t p = cellAt(first);
    hover(first);
    EXPECT_EQ(view()->cursorCode(), CodeFill);
    EXPECT_EQ(panelText(*form_, 0), QStringLiteral("Fill Mode [%1]").arg(p));
    // The stroke goes on while the button is held: every cell it passes, one step.
    std::vector<QPoint> path{first};
    path.insert(path.end(), pixels.begin(), pixels.end());
    stroke(path);
    EXPECT_EQ(ground()->Voxels[p - 1], 7u);
    EXPECT_EQ(codeRow(p - 1), "[00] [00] [00] [02]");
    EXPECT_FALSE(tools().cellBrushTool().strokeActive()) << "released";
    EXPECT_EQ(stack().count(), 1);
    EXPECT_EQ(form_->Undo1->text(), "Undo Fill");
    const auto filled = mapBytes();
    form_->Undo1->trigger();
    EXPECT_EQ(mapBytes(), before);
    form_->Redo1->trigger();
    EXPECT_EQ(mapBytes(), filled);

    // Erase: staying on the same pixel does not uncover and erase the cell behind it.
    page_->ButDelPoxel->click();
    const uint32_t top = cellAt(first);
    stroke({first, first, first, first});
    EXPECT_EQ(ground()->Voxels[top - 1], 0u);
    EXPECT_EQ(codeRow(top - 1), "[00] [00] [00] [00]");
    const uint32_t behind = cellAt(first);
    EXPECT_NE(behind, top);
    EXPECT_EQ(stack().count(), 2);
    EXPECT_EQ(form_->Undo1->text(), "Undo Erase");
    // The next press sees the cells as they are then.
    stroke({first});
    EXPECT_EQ(stack().count(), 3);
    if (behind != 0) {
        EXPECT_EQ(ground()->Voxels[behind - 1], 0u);
    }
    form_->Undo1->trigger();
    form_->Undo1->trigger();
    EXPECT_EQ(mapBytes(), filled);
}

TEST_F(BrushWindow, GetReadsTheCellIntoTheSettingsAndTheCornerBoxes) {
    const std::vector<QPoint> pixels = cellPixels();
    ASSERT_FALSE(pixels.empty());
    const QPoint at = pixels[pixels.size() / 2];
    const uint32_t p = cellAt(at);
    form_->document().editNode(*ground(), QStringLiteral("Code"), NodeChange::Geometry,
                               [&](PoxelContent& c) { c.Voxels[p - 1] = 0x00F30B07u; });
    wait(50);
    ASSERT_EQ(cellAt(at), p);
    const int steps = stack().count();
    page_->ButGetPoxel->click();
    focusView();
    hover(at);
    EXPECT_EQ(view()->cursorCode(), CodeGetFill);
    click(at);
    EXPECT_EQ(page_->EditX18->FloatVal(), 2.0);
    EXPECT_EQ(page_->EditX17->FloatVal(), 3.0);
    EXPECT_EQ(page_->EditX19->FloatVal(), 3.0);
    EXPECT_EQ(page_->EditX20->FloatVal(), 15.0);
    const bool ticked[8] = {true, true, false, false, true, true, true, true};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(
            page_->findChild<TCheckBoxX*>(QStringLiteral("CheckBoxX%1").arg(i + 1))->isChecked(),
            ticked[i])
            << i + 1;
    EXPECT_EQ(stack().count(), steps) << "get changes nothing";
    // And the boxes write the corner settings back.
    page_->findChild<TCheckBoxX*>(QStringLiteral("CheckBoxX2"))->click();
    EXPECT_EQ(page_->EditX19->FloatVal(), 1.0);
    page_->findChild<TCheckBoxX*>(QStringLiteral("CheckBoxX8"))->click();
    EXPECT_EQ(page_->EditX20->FloatVal(), 7.0);
}

TEST_F(BrushWindow, HeightsFollowThePickSessionsAndUndoBySession) {
    const auto before = mapBytes();
    page_->HmPickBut->click();
    page_->HmRadEdit->setFloatVal(2);
    EXPECT_EQ(tools().heightPicks().Radius, 2.0f);
    const THmap start = ground()->Heights;
    tools().heightPicks().SetOnly(1001 + 4 + 1000 * 4); // grid point (4, 4)
    tools().heightBrushTool().snapshot();
    for (double h : {2.0, 6.0, 10.0})
        page_->HmHeightEdit->setFloatVal(h);
    EXPECT_FLOAT_EQ(ground()->Heights[4][4], start[4][4] + 10.0f);
    EXPECT_NEAR(ground()->Heights[5][4], start[5][4] + 5.0f, 1e-4);
    EXPECT_EQ(stack().count(), 1);
    EXPECT_EQ(form_->Undo1->text(), "Undo Heights");
    const auto raised = mapBytes();

    // A new pick keeps the raise and sets "Height" back to 0.
    tools().heightPicks().SetOnly(1001 + 8 + 1000 * 9);
    tools().heightBrushTool().snapshot();
    EXPECT_EQ(page_->HmHeightEdit->FloatVal(), 0.0);
    EXPECT_EQ(mapBytes(), raised);
    page_->HmHeightEdit->setFloatVal(-3);
    EXPECT_FLOAT_EQ(ground()->Heights[9][8], start[9][8] - 3.0f);
    EXPECT_FLOAT_EQ(ground()->Heights[4][4], start[4][4] + 10.0f);
    EXPECT_EQ(stack().count(), 2);

    form_->Undo1->trigger();
    EXPECT_EQ(mapBytes(), raised);
    EXPECT_EQ(page_->HmHeightEdit->FloatVal(), 0.0) << "an undo takes a new snapshot";
    form_->Undo1->trigger();
    EXPECT_EQ(mapBytes(), before);
    // Releasing "Pick" makes the height field inert.
    page_->HmPickBut->click();
    page_->HmHeightEdit->setFloatVal(5);
    EXPECT_EQ(mapBytes(), before);
}

TEST_F(BrushWindow, ClicksInTheViewPickHeightPointsAndCtrlAddsOne) {
    page_->HmPickBut->click();
    view()->setOnOpenGL(true);
    // Two pixels whose pick names different points of the ground's heightmap.
    std::vector<std::pair<QPoint, uint32_t>> points;
    for (int y = 20; y < view()->height() - 20 && points.size() < 2; y += 9)
        for (int x = 20; x < view()->width() - 20 && points.size() < 2; x += 9) {
            const uint32_t id = view()->PickAt(x, y);
            if (id >= 1001 && (points.empty() || points[0].second != id))
                points.emplace_back(QPoint(x, y), id);
        }
    ASSERT_EQ(points.size(), 2u) << "the selected ground shows its height points";
    auto picked = [this] {
        std::vector<std::pair<int, int>> out;
        for (const auto& p : tools().heightPicks().Picks)
            out.emplace_back(p.first, p.second);
        return out;
    };
    auto pair = [](uint32_t id) { return std::make_pair(int(id) / 1000, int(id) % 1000); };

    click(points[0].first);
    EXPECT_EQ(picked(), (std::vector{pair(points[0].second)}));
    click(points[1].first, Qt::ControlModifier);
    EXPECT_EQ(picked(), (std::vector{pair(points[0].second), pair(points[1].second)}));
    EXPECT_EQ(form_->selectedPoxel(), ground()) << "picking points keeps the selection";

    // "Height" raises both picked points, as one step.
    const auto before = mapBytes();
    const THmap start = ground()->Heights;
    page_->HmHeightEdit->setFloatVal(3);
    for (const auto& [a, b] : picked()) // the point (a - 1, b - 1)
        EXPECT_FLOAT_EQ(ground()->Heights[size_t(a - 1)][size_t(b - 1)],
                        start[size_t(a - 1)][size_t(b - 1)] + 3.0f);
    EXPECT_EQ(stack().count(), 1);
    EXPECT_EQ(form_->Undo1->text(), "Undo Heights");
    form_->Undo1->trigger();
    EXPECT_EQ(mapBytes(), before);
}

TEST_F(BrushWindow, AutoBlurAsksFirstAndIsOneStep) {
    QStringList asked;
    int answer = QMessageBox::No;
    page_->dialogs().question = [&](QWidget*, const QString& title, const QString& text) {
        asked << title + QStringLiteral("|") + text;
        return answer;
    };
    settings(1, 2, 0, 0);
    const auto before = mapBytes();
    page_->AutoBlur->click();
    ASSERT_EQ(asked.size(), 1);
    EXPECT_EQ(asked[0], "AutoBlur|You sure, Blur from [1] to [2]?");
    EXPECT_EQ(mapBytes(), before) << "No changes nothing";

    // Texture 0 is none: nothing to blend, and the status bar says why.
    answer = QMessageBox::Yes;
    settings(0, 2, 0, 0);
    page_->AutoBlur->click();
    EXPECT_EQ(asked.size(), 1);
    EXPECT_TRUE(panelText(*form_, 0).startsWith("Auto Blur needs two textures"));
    EXPECT_EQ(mapBytes(), before);

    settings(1, 2, 0, 0);
    page_->AutoBlur->click();
    const TPoxel& g = *ground();
    EXPECT_EQ(g.Voxels[g.cellIndex(0, 0, 0)], 0x00FF0307u) << "a cell of box 1 took the pair";
    EXPECT_EQ(form_->Undo1->text(), "Undo Auto Blur");
    form_->Undo1->trigger();
    EXPECT_EQ(mapBytes(), before);

    // Blur blends only textured cells: without a texture list it changes nothing.
    if (!form_->scene().Textures) {
        page_->SpeedButton1->click();
        EXPECT_EQ(mapBytes(), before);
    }
}

// The X server's own pointer, moved by xdotool with the button held: the press, the moves and
// the release come through the view's mouse dispatch as a user's do.
TEST_F(BrushWindow, ARealPointerStrokePaintsTheCellsItPassesAsOneStep) {
    if (!canDrivePointer())
        GTEST_SKIP() << "needs an X server and xdotool";
    // The longest run of neighbouring cell pixels along one row.
    const std::vector<QPoint> pixels = cellPixels();
    std::vector<QPoint> run, best;
    for (const QPoint& at : pixels) {
        if (!run.empty() && (at.y() != run.back().y() || at.x() != run.back().x() + 25))
            run.clear();
        run.push_back(at);
        if (run.size() > best.size())
            best = run;
    }
    ASSERT_GE(best.size(), 3u) << "the framed ground shows a row of cells";
    std::vector<uint32_t> cells;
    for (const QPoint& at : best)
        cells.push_back(cellAt(at));
    const auto before = mapBytes();
    page_->ButFillPoxel->click();
    settings(2, 0, 0, 0);
    view()->setOnOpenGL(true);

    // The pointer stops on every pixel of the run: a stroke paints the cells under its samples.
    std::vector<QPoint> path;
    for (const QPoint& at : best)
        path.push_back(view()->mapToGlobal(at));
    QProcess xdotool;
    startPointerDrag(xdotool, path, 1, 0.1);
    ASSERT_TRUE(xdotool.waitForStarted());
    EXPECT_TRUE(waitFor([&] { return xdotool.state() == QProcess::NotRunning; }, 15000));
    wait(200);
    EXPECT_EQ(xdotool.exitCode(), 0);
    // The press and the release paint their cells. A busy machine may fold movements
    // together, as Qt does, so the cells between need only mostly be hit.
    EXPECT_EQ(ground()->Voxels[cells.front() - 1], 7u);
    EXPECT_EQ(ground()->Voxels[cells.back() - 1], 7u);
    size_t painted = 0;
    for (uint32_t cell : cells)
        painted += ground()->Voxels[cell - 1] == 7u;
    EXPECT_GE(2 * painted, cells.size()) << painted << " of " << cells.size();
    EXPECT_EQ(stack().count(), 1);
    EXPECT_EQ(form_->Undo1->text(), "Undo Fill");
    EXPECT_FALSE(tools().cellBrushTool().strokeActive()) << "the release ended the stroke";
    form_->Undo1->trigger();
    EXPECT_EQ(mapBytes(), before);
}
