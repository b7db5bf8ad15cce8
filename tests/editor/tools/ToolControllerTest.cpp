// The tools without a window: pointer sequences over a pick source of the test's own and a real
// document. Each tool's steps and their undo to identical map bytes; handles, height points and
// level corners hit within the tolerance (scaled by the pixel ratio), nodes and cells only
// exactly; drags cancelled by Escape and by a change of tool; the status text saying what a
// click would do right after a tool changes; the wheel adding up small steps.

#include "editor/tools/ToolController.h"

#include "core/MapGenerator.h"
#include "editor/MapDocument.h"
#include "support/TestSupport.h"

#include <QPointF>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <optional>

using namespace lw;
using lwtest::mapBytes;

namespace {

// Paints each pass with a function of the device pixel.
class FakePicks : public PickSource {
public:
    double ratio = 1.0;
    std::function<uint32_t(int x, int y, PickPass pass)> paint = [](int, int, PickPass) {
        return 0u;
    };
    int windows = 0;

    double pixelRatio() const override { return ratio; }
    PickWindow pickWindow(int x, int y, int radius, PickPass pass) override {
        ++windows;
        PickWindow w;
        w.Radius = radius;
        for (int dy = -radius; dy <= radius; ++dy)
            for (int dx = -radius; dx <= radius; ++dx)
                w.Ids.push_back(paint(x + dx, y + dy, pass));
        return w;
    }
};

// The window's part: selecting as its trees do, the brush settings of its page.
class FakeHost : public ToolHost {
public:
    FakeHost(MapDocument& doc, ToolModel& model, SceneState& scene)
        : doc_(doc), model_(model), scene_(scene) {}

    void repaint() override { ++repaints; }
    void selectById(int32_t id) override {
        scene_.SelectedId = id;
        model_.showSelection(
            selectionOf(findByListId(scene_.ShownRoot, id), scene_.ShownRoot == doc_.root()));
    }
    void selectCopy(TPoxel& node) override {
        copy = &node;
        selectById(node.ListId);
    }
    CellBrushSettings cellBrushSettings() const override { return settings; }
    void showCellSettings(uint32_t cell) override { shownCell = cell; }
    void showHeight(double h) override { height = h; }
    void previewGeometry(TPoxel&) override { ++previews; }
    void liveEditBegins() override {}
    ScreenPoint wrapPointer(ScreenPoint at) override { return at; }

    int repaints = 0;
    TPoxel* copy = nullptr;
    CellBrushSettings settings;
    std::optional<uint32_t> shownCell;
    double height = -1;
    int previews = 0;

private:
    MapDocument& doc_;
    ToolModel& model_;
    SceneState& scene_;
};

class Tools : public ::testing::Test {
protected:
    void SetUp() override {
        doc_.adoptMap(makeDemoMap(), QString(), false);
        scene_.EditRoot = scene_.ShownRoot = doc_.root();
        scene_.Camera.Width = 800;
        scene_.Camera.Height = 600;
        // The tower in the middle of the view.
        scene_.Camera.CamPan = {-3.0f, -2.5f, -2.0f};
    }

    TPoxel* island() { return doc_.root()->Children[0].get(); }
    TPoxel* ground() { return island()->Children[0].get(); }
    TPoxel* tower() { return island()->Children[1].get(); }
    std::vector<uint8_t> bytes() { return mapBytes(*doc_.root()); }
    int steps() { return doc_.undoStack()->count(); }

    void select(TPoxel* node) { host_.selectById(node->ListId); }

    PointerInput at(double x, double y, Qt::MouseButton button = Qt::NoButton,
                    Qt::MouseButtons held = {}, Qt::KeyboardModifiers mods = {}) {
        PointerInput in;
        in.x = x;
        in.y = y;
        in.screen = {int(x) + 100, int(y) + 50};
        in.button = button;
        in.buttons = held;
        in.modifiers = mods;
        return in;
    }
    void hover(QPointF p) { tools_.move(at(p.x(), p.y())); }
    void press(QPointF p, Qt::KeyboardModifiers mods = {}) {
        tools_.press(at(p.x(), p.y(), Qt::LeftButton, Qt::LeftButton, mods));
    }
    void dragTo(QPointF p, Qt::KeyboardModifiers mods = {}) {
        tools_.move(at(p.x(), p.y(), Qt::NoButton, Qt::LeftButton, mods));
    }
    void release(QPointF p, Qt::KeyboardModifiers mods = {}) {
        tools_.release(at(p.x(), p.y(), Qt::LeftButton, {}, mods));
    }
    // Press at `from`, eight movements to `to`, release there unless `keepHeld`.
    void drag(QPointF from, QPointF to, Qt::KeyboardModifiers mods = {}, bool keepHeld = false) {
        press(from, mods);
        for (int i = 1; i <= 8; ++i)
            dragTo(from + (to - from) * i / 8.0, mods);
        if (!keepHeld)
            release(to, mods);
    }

    // The view point (logical pixels, y down) of `local` in the gizmo of the selected node;
    // `gizmoUnits` counts in the gizmo's drawn size.
    QPointF gizmoPoint(DragKind kind, DVec3 local, bool gizmoUnits = true, bool layers = false) {
        TPoxel* node = findByListId(doc_.root(), scene_.SelectedId);
        const auto frames = nodeFrames(*doc_.root(), *node, false);
        EXPECT_TRUE(frames);
        TCamera c = scene_.Camera;
        clampCamera(c);
        const double g = gizmoUnits ? c.CamDistance / 15.0 : 1.0;
        const auto w = projectPoint(g * local, gizmoFrame(kind, layers, *frames),
                                    cameraProjection(c), cameraViewport(c));
        EXPECT_TRUE(w);
        return {w->X, c.Height - 1 - w->Y};
    }
    // The pointer movement that carries a node by one unit along x of the gizmo's frame.
    QPointF unitX(DragKind kind = DragKind::Move, bool layers = false) {
        return gizmoPoint(kind, {1, 0, 0}, false, layers) -
               gizmoPoint(kind, {0, 0, 0}, false, layers);
    }
    // The scene pass paints handle `id` as a disc of radius 2 around `centre` and `elsewhere`
    // everywhere else.
    void paintHandle(uint32_t id, QPointF centre, uint32_t elsewhere = 0) {
        const double r = picks_.ratio;
        picks_.paint = [=](int x, int y, PickPass pass) {
            if (pass != PickPass::Scene)
                return 0u;
            const double dx = x - centre.x() * r, dy = y - centre.y() * r;
            return dx * dx + dy * dy <= 4 * r * r ? id : elsewhere;
        };
    }

    MapDocument doc_;
    ToolModel model_;
    SceneState scene_;
    FakePicks picks_;
    FakeHost host_{doc_, model_, scene_};
    ToolController tools_{doc_, model_, scene_, picks_, host_};
};

} // namespace

TEST_F(Tools, AHandleIsHitWithinSixLogicalPixelsScaledByThePixelRatio) {
    select(tower());
    model_.chooseTool(ToolKind::Move);
    const QPointF y = gizmoPoint(DragKind::Move, {0, 0.6, 0});
    for (const double ratio : {1.0, 2.0}) {
        picks_.ratio = ratio;
        // The y handle is a line one device pixel wide; the tower lies under everything else.
        picks_.paint = [&, ratio](int x, int, PickPass) {
            return x == int(std::floor(y.x() * ratio)) ? 2u : uint32_t(tower()->ListId);
        };
        hover(y + QPointF(8, 0));
        EXPECT_EQ(tools_.statusText(), "Move Mode [Object]") << ratio;
        EXPECT_EQ(scene_.HoverRestriction, RestrictX) << "nothing highlighted";
        hover(y + QPointF(5, 0));
        EXPECT_EQ(tools_.cursorCode(), CodeMove);
        EXPECT_EQ(tools_.statusText(), "Move Mode [Y]") << ratio;
        EXPECT_EQ(scene_.HoverRestriction, RestrictY);
        // The press arms the handle it named: Y becomes the restriction.
        press(y + QPointF(5, 0));
        release(y + QPointF(5, 0));
        EXPECT_EQ(model_.restriction(), RestrictY);
        EXPECT_EQ(steps(), 0) << "a press without a movement changes nothing";
        model_.setRestriction(RestrictX);
    }
    // Nodes are exact: the select tool names the node under the pixel only.
    picks_.ratio = 1;
    model_.chooseSelect();
    picks_.paint = [](int x, int, PickPass) { return x == 100 ? 10003u : 0u; };
    hover({103, 50});
    EXPECT_EQ(tools_.statusText(), "Select Mode");
    EXPECT_EQ(tools_.cursorCode(), CodeSelectNothing);
}

TEST_F(Tools, AMoveDragIsOneStepAndACtrlMoveCopiesOnRelease) {
    select(tower());
    model_.chooseTool(ToolKind::Move);
    const std::vector<uint8_t> before = bytes();
    const PoxelContent was = tower()->content();
    const QPointF x = gizmoPoint(DragKind::Move, {0.6, 0, 0});
    // Points further along the x axis, in units of the map.
    const double g = scene_.Camera.CamDistance / 15.0;
    auto onAxis = [&](double by) {
        return gizmoPoint(DragKind::Move, {0.6 * g + by, 0, 0}, false);
    };
    paintHandle(1, x, uint32_t(tower()->ListId));
    hover(x);
    ASSERT_EQ(tools_.statusText(), "Move Mode [X]");
    drag(x, onAxis(1.5), {}, true);
    EXPECT_TRUE(tools_.statusText().startsWith("Move [X:")) << tools_.statusText().toStdString();
    EXPECT_TRUE(scene_.DragStep.Active);
    EXPECT_EQ(tower()->content(), was) << "nothing changes before the release";
    release(onAxis(1.5));
    EXPECT_FALSE(scene_.DragStep.Active);
    // Picked again at the release (the test's handle stayed where the node was).
    EXPECT_EQ(tools_.statusText(), "Move Mode [Object]");

    PoxelContent moved = was;
    moved.Pos.X = tower()->Pos.X;
    EXPECT_NEAR(tower()->Pos.X - was.Pos.X, 1.5, 0.01);
    EXPECT_EQ(tower()->content(), moved) << "only Pos.x";
    EXPECT_EQ(steps(), 1);
    EXPECT_EQ(doc_.undoStack()->undoText(), "Move");
    doc_.undoStack()->undo();
    EXPECT_EQ(bytes(), before);
    doc_.undoStack()->redo();
    EXPECT_EQ(tower()->content(), moved);

    // With Ctrl the node stays and its copy moves, made on the release as one step.
    const size_t children = island()->Children.size();
    const std::vector<uint8_t> beforeCopy = bytes();
    const QPointF from = gizmoPoint(DragKind::Move, {0.6, 0, 0});
    paintHandle(1, from, uint32_t(tower()->ListId));
    hover(from);
    drag(from, onAxis(1), Qt::ControlModifier, true);
    EXPECT_TRUE(scene_.DragStep.CopyPreview);
    EXPECT_EQ(island()->Children.size(), children);
    release(onAxis(1), Qt::ControlModifier);
    ASSERT_EQ(island()->Children.size(), children + 1);
    EXPECT_EQ(host_.copy, island()->Children.back().get());
    EXPECT_EQ(scene_.SelectedId, host_.copy->ListId) << "the copy is selected";
    EXPECT_EQ(tower()->content(), moved);
    EXPECT_NEAR(host_.copy->Pos.X - moved.Pos.X, 1, 0.01);
    EXPECT_EQ(steps(), 2);
    doc_.undoStack()->undo();
    EXPECT_EQ(bytes(), beforeCopy);
}

TEST_F(Tools, ADragIsCancelledByEscapeAndByAChangeOfTool) {
    struct Row {
        const char* what;
        bool layers;
        std::function<void()> cancel;
    };
    const std::vector<Row> rows = {
        {"Escape", false, [&] { tools_.key(Qt::Key_Escape); }},
        {"the rotate tool by its key", false, [&] { tools_.key(Qt::Key_E); }},
        {"the right button", false,
         [&] { tools_.press(at(10, 10, Qt::RightButton, Qt::RightButton)); }},
        {"a brush", false, [&] { model_.toggleCellBrush(CellBrush::Fill); }},
        {"an undo", false, [&] { doc_.undoStack()->undo(); }},
        {"Escape in layers mode", true, [&] { tools_.key(Qt::Key_Escape); }},
        {"the select tool in layers mode", true, [&] { tools_.key(Qt::Key_Q); }},
    };
    for (const Row& row : rows) {
        select(tower());
        // A step for the undo to take back, of another node.
        doc_.editNode(*ground(), QStringLiteral("Name"), NodeChange::Name,
                      [&](PoxelContent& c) { c.Name = row.what; });
        if (row.layers) {
            model_.toggleLayersMode();
            tools_.layerPicks().SoftLen = 1;
            tools_.layerPicks().SetOnly(4 + 10 * 2);
        }
        model_.chooseTool(ToolKind::Move);
        const PoxelContent was = tower()->content();
        const int count = steps();
        const QPointF x = gizmoPoint(DragKind::Move, {0.6, 0, 0}, true, row.layers);
        paintHandle(1, x);
        hover(x);
        drag(x, x + unitX(DragKind::Move, row.layers), {}, true);
        ASSERT_TRUE(scene_.DragStep.Active) << row.what;
        if (row.layers) {
            EXPECT_NE(tower()->content(), was) << "level corners follow the pointer live";
        }
        row.cancel();
        EXPECT_FALSE(tools_.objectTool().objectDrag().Active) << row.what;
        EXPECT_FALSE(scene_.DragStep.Active) << row.what;
        release(x + unitX());
        EXPECT_EQ(tower()->content(), was) << row.what;
        EXPECT_EQ(steps(), count) << row.what << ": no step (an undo leaves its step to redo)";
        model_.chooseSelect();
        if (model_.layersMode())
            model_.toggleLayersMode();
        if (model_.cellBrush() != CellBrush::None)
            model_.toggleCellBrush(model_.cellBrush());
    }
}

TEST_F(Tools, TheStatusSaysWhatAClickWouldDoRightAfterAToolChange) {
    select(tower());
    const uint32_t id = uint32_t(tower()->ListId);
    picks_.paint = [id](int, int, PickPass pass) { return pass == PickPass::Scene ? id : 0u; };
    const QPointF p(300, 200);
    hover(p);
    EXPECT_EQ(tools_.statusText(), QStringLiteral("Select Mode [%1]").arg(id));
    EXPECT_EQ(tools_.cursorCode(), CodeSelect);
    // Keys and the right button change the tool without a movement.
    tools_.key(Qt::Key_W);
    EXPECT_EQ(tools_.statusText(), "Move Mode [Object]");
    EXPECT_EQ(tools_.cursorCode(), CodeMove);
    tools_.press(at(p.x(), p.y(), Qt::RightButton, Qt::RightButton));
    tools_.release(at(p.x(), p.y(), Qt::RightButton));
    EXPECT_EQ(tools_.statusText(), "Camera Rotation Mode");
    EXPECT_EQ(tools_.cursorCode(), CodeRotXY);
    tools_.press(at(p.x(), p.y(), Qt::RightButton, Qt::RightButton));
    EXPECT_EQ(tools_.statusText(), "Move Mode [Object]") << "back to the move tool";
    // Rotating acts on handles only: over the node a click does nothing, and says so.
    tools_.key(Qt::Key_E);
    EXPECT_EQ(tools_.statusText(), "Rotate Mode");
    EXPECT_EQ(tools_.cursorCode(), CodeSelectNothing);
    paintHandle(3, p, id);
    model_.setRestriction(RestrictY); // a change of the scene the next hover must see
    EXPECT_EQ(tools_.statusText(), "Rotate Mode [Z]");
    hover(p + QPointF(40, 0));
    EXPECT_EQ(tools_.statusText(), "Rotate Mode") << "no handle named where none is hit";
    EXPECT_EQ(scene_.HoverRestriction, RestrictY);
    tools_.key(Qt::Key_Q);
    EXPECT_EQ(tools_.statusText(), QStringLiteral("Select Mode [%1]").arg(id));
    // A brush by its key, over nothing of the poxel's cells.
    select(ground());
    tools_.key(Qt::Key_M);
    EXPECT_EQ(model_.cellBrush(), CellBrush::Fill);
    EXPECT_EQ(tools_.statusText(), "Fill Mode");
    // Outside the view, the tool's own text.
    tools_.leave();
    tools_.key(Qt::Key_M);
    EXPECT_EQ(tools_.statusText(), "Select Mode");
}

TEST_F(Tools, AStrokeOfTheCellBrushesIsOneStepAndSeesTheCellsOfThePress) {
    // Column c of the view, from x = 100 in steps of 10, shows the top filled cell of the
    // ground's column (c, z = 0).
    TPoxel* g = ground();
    auto topCell = [g](int column) -> uint32_t {
        for (int y = g->NY - 1; y >= 0; --y) {
            const size_t i = g->cellIndex(column, y, 0);
            if (g->Voxels[i] != 0)
                return uint32_t(i + 1);
        }
        return 0;
    };
    picks_.paint = [g, topCell](int x, int, PickPass pass) -> uint32_t {
        if (pass != PickPass::Cells || x < 100 || x >= 100 + 10 * g->NX)
            return 0;
        return topCell((x - 100) / 10);
    };
    select(g);
    const std::vector<uint8_t> before = bytes();
    std::vector<uint32_t> tops;
    for (int c = 0; c < 4; ++c)
        tops.push_back(topCell(c));
    ASSERT_TRUE(tops[0] != 0 && tops[3] != 0);
    model_.toggleCellBrush(CellBrush::Fill);
    host_.settings = {2, 0, 0, 0};
    hover({105, 10});
    EXPECT_EQ(tools_.cursorCode(), CodeFill);
    drag({105, 10}, {135, 10});
    for (uint32_t cell : tops)
        EXPECT_EQ(g->Voxels[cell - 1], 7u) << cell;
    EXPECT_EQ(steps(), 1);
    EXPECT_EQ(doc_.undoStack()->undoText(), "Fill");
    const std::vector<uint8_t> filled = bytes();
    doc_.undoStack()->undo();
    EXPECT_EQ(bytes(), before);
    doc_.undoStack()->redo();
    EXPECT_EQ(bytes(), filled);

    // Erase: staying on one pixel does not dig through the cells behind the first.
    model_.toggleCellBrush(CellBrush::Erase);
    hover({105, 10});
    EXPECT_EQ(tools_.cursorCode(), CodeErase);
    press({105, 10});
    for (int i = 0; i < 4; ++i)
        dragTo({105, 11.0 + i});
    release({105, 14});
    EXPECT_EQ(g->Voxels[tops[0] - 1], 0u);
    const uint32_t below = topCell(0);
    ASSERT_NE(below, 0u) << "the cell behind is still there";
    EXPECT_EQ(steps(), 2);
    EXPECT_EQ(doc_.undoStack()->undoText(), "Erase");
    // The next press sees the cells as they are then.
    hover({105, 15});
    press({105, 15});
    release({105, 15});
    EXPECT_EQ(g->Voxels[below - 1], 0u);
    EXPECT_EQ(steps(), 3);
    // Erasing over nothing deselects (and the brush, left without a poxel, goes up).
    hover({50, 10});
    press({50, 10});
    release({50, 10});
    EXPECT_EQ(scene_.SelectedId, 0);
    EXPECT_EQ(model_.cellBrush(), CellBrush::None);
    doc_.undoStack()->undo();
    doc_.undoStack()->undo();
    EXPECT_EQ(bytes(), filled);

    // Get reads the cell into the settings and changes nothing.
    select(g);
    model_.toggleCellBrush(CellBrush::Get);
    doc_.editNode(*g, QStringLiteral("Code"), NodeChange::Geometry,
                  [&](PoxelContent& c) { c.Voxels[tops[2] - 1] = 0x00F30B07u; });
    const int count = steps();
    hover({125, 10});
    EXPECT_EQ(tools_.cursorCode(), CodeGetFill);
    press({125, 10});
    release({125, 10});
    EXPECT_EQ(host_.shownCell, 0x00F30B07u);
    EXPECT_EQ(steps(), count);
}

TEST_F(Tools, HeightPointsAndLevelCornersArePickedNearbyAndTheirEditsUndo) {
    select(ground());
    const std::vector<uint8_t> before = bytes();
    const THmap start = ground()->Heights;
    model_.toggleHeightPick();
    EXPECT_EQ(host_.height, 0.0) << "a snapshot shows Height 0";
    // Grid point (4, 4) a pixel wide at (200, 200): 4 pixels away is near enough.
    picks_.paint = [](int x, int y, PickPass) { return x == 200 && y == 200 ? 5005u : 0u; };
    hover({203, 203});
    EXPECT_EQ(tools_.statusText(), "Pick Mode [5005]");
    press({203, 203});
    release({203, 203});
    ASSERT_EQ(tools_.heightPicks().Picks.size(), 1u);
    EXPECT_EQ(tools_.heightPicks().Picks[0], std::make_pair(5, 5));
    tools_.heightPicks().Radius = 2;
    for (double h : {4.0, 10.0})
        tools_.heightBrushTool().setHeight(h);
    EXPECT_FLOAT_EQ(ground()->Heights[4][4], start[4][4] + 10.0f);
    EXPECT_EQ(steps(), 1);
    EXPECT_EQ(doc_.undoStack()->undoText(), "Heights");
    doc_.undoStack()->undo();
    EXPECT_EQ(bytes(), before);
    EXPECT_EQ(scene_.SelectedId, ground()->ListId) << "picking points keeps the selection";

    // Layers mode: a corner picked nearby, then dragged along X with the move tool.
    select(tower());
    model_.toggleLayersMode();
    picks_.paint = [](int x, int y, PickPass) { return x == 300 && y == 100 ? 24u : 0u; };
    hover({296, 102});
    EXPECT_EQ(tools_.statusText(), "Layers Mode [24]");
    press({296, 102});
    release({296, 102});
    ASSERT_EQ(tools_.layerPicks().Picks.size(), 1u);
    EXPECT_EQ(tools_.layerPicks().Picks[0], std::make_pair(2, 4));
    tools_.layerPicks().SoftLen = 1;
    model_.chooseTool(ToolKind::Move);
    const PoxelContent was = tower()->content();
    const std::vector<uint8_t> beforeLayers = bytes();
    const QPointF x = gizmoPoint(DragKind::Move, {0.6, 0, 0}, true, true);
    paintHandle(1, x);
    hover(x);
    EXPECT_EQ(tools_.statusText(), "Layers Mode [X]");
    drag(x, x + 1.5 * unitX(DragKind::Move, true));
    PoxelContent same = was;
    same.LayerHigh[2].X = tower()->LayerHigh[2].X;
    EXPECT_EQ(tower()->content(), same) << "only the picked corner's level moved";
    EXPECT_NEAR(tower()->LayerHigh[2].X - was.LayerHigh[2].X, 1.5, 0.1);
    EXPECT_EQ(doc_.undoStack()->undoText(), "Layers");
    doc_.undoStack()->undo();
    EXPECT_EQ(bytes(), beforeLayers);
}

TEST_F(Tools, SelectingNeedsTheFocusAndTheWheelAddsUpSmallSteps) {
    picks_.paint = [this](int, int, PickPass) { return uint32_t(tower()->ListId); };
    PointerInput click = at(50, 50, Qt::LeftButton, Qt::LeftButton);
    click.focused = false;
    tools_.press(click);
    tools_.release(at(50, 50, Qt::LeftButton));
    EXPECT_EQ(scene_.SelectedId, 0) << "the first click only focuses";
    press({50, 50});
    release({50, 50});
    EXPECT_EQ(scene_.SelectedId, tower()->ListId);
    EXPECT_TRUE(model_.zoomSelectedEnabled());
    // A pointer that does not move does not pick again.
    hover({60, 60});
    const int windows = picks_.windows;
    hover({60, 60});
    EXPECT_EQ(picks_.windows, windows);

    const float distance = scene_.Camera.CamDistance;
    for (int i = 0; i < 7; ++i)
        tools_.wheel(15);
    EXPECT_EQ(scene_.Camera.CamDistance, distance);
    tools_.wheel(15);
    EXPECT_EQ(scene_.Camera.CamDistance, distance - 5) << "eight eighths of a notch: one step";
    tools_.wheel(100);
    tools_.wheel(-40); // the other way starts afresh
    EXPECT_EQ(scene_.Camera.CamDistance, distance - 5);
    tools_.wheel(-80);
    EXPECT_EQ(scene_.Camera.CamDistance, distance);
    tools_.wheel(240);
    EXPECT_EQ(scene_.Camera.CamDistance, distance - 10);
}
