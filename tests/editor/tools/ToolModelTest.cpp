// The tool model's rules as tables: which tool a choice leaves in use, which modes a selection,
// a document or another brush releases, and that no mode can be left down while it cannot
// apply (the stuck modes a window used to show: Erase down over a group with the object tools
// disabled, Fill and Get down over a new map's root).

#include "editor/tools/ToolModel.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

using namespace lw;

namespace {

SelectionInfo poxel(int32_t id = 10005) {
    SelectionInfo s;
    s.node = true;
    s.listId = id;
    s.editedMap = true;
    return s;
}
SelectionInfo group() {
    SelectionInfo s = poxel(10002);
    s.group = true;
    return s;
}
SelectionInfo entity() {
    SelectionInfo s = poxel(10007);
    s.entity = true;
    return s;
}
SelectionInfo root(bool editedMap = true) {
    SelectionInfo s = poxel(editedMap ? 10000 : 310000);
    s.root = s.group = true;
    s.editedMap = editedMap;
    return s;
}

// What the window mirrors: every mode and whether the object tools can be chosen.
struct Seen {
    ToolKind tool;
    CellBrush brush;
    bool heightPick;
    bool layersMode;
    bool moveEnabled;
    bool cellBrushesEnabled;
    friend bool operator==(const Seen&, const Seen&) = default;
};
Seen seen(const ToolModel& m) {
    return {m.tool(),
            m.cellBrush(),
            m.heightPick(),
            m.layersMode(),
            m.toolEnabled(ToolKind::Move),
            m.cellBrushesEnabled()};
}
std::ostream& operator<<(std::ostream& os, const Seen& s) {
    return os << "tool " << int(s.tool) << " brush " << int(s.brush) << " pick " << s.heightPick
              << " layers " << s.layersMode << " move " << s.moveEnabled << " brushes "
              << s.cellBrushesEnabled;
}

using Step = std::function<void(ToolModel&)>;
struct Row {
    const char* what;
    std::vector<Step> steps;
    Seen expected;
};

Step select(SelectionInfo s) {
    return [s](ToolModel& m) { m.showSelection(s); };
}
Step brush(CellBrush b) {
    return [b](ToolModel& m) { m.toggleCellBrush(b); };
}
Step choose(ToolKind t) {
    return [t](ToolModel& m) { m.chooseTool(t); };
}
// A document opened, created or imported: its root is shown and selected.
Step documentShown(SelectionInfo shownRoot) {
    return [shownRoot](ToolModel& m) {
        m.documentShown();
        m.showSelection(shownRoot);
    };
}
const Step pick = [](ToolModel& m) { m.toggleHeightPick(); };
const Step layers = [](ToolModel& m) { m.toggleLayersMode(); };

constexpr auto S = ToolKind::Select;
constexpr auto None = CellBrush::None;

} // namespace

TEST(ToolModel, NoModeStaysDownWhereItCannotApply) {
    const std::vector<Row> rows = {
        {"erase stays down from poxel to poxel",
         {select(poxel()), brush(CellBrush::Erase), select(poxel(10009))},
         {S, CellBrush::Erase, false, false, false, true}},
        {"erase, then a group: released, the object tools back",
         {select(poxel()), brush(CellBrush::Erase), select(group())},
         {S, None, false, false, true, false}},
        {"erase, a group, then a poxel: still up",
         {select(poxel()), brush(CellBrush::Erase), select(group()), select(poxel())},
         {S, None, false, false, true, true}},
        {"erase, then an entity",
         {select(poxel()), brush(CellBrush::Erase), select(entity())},
         {S, None, false, false, true, false}},
        {"erase, then nothing",
         {select(poxel()), brush(CellBrush::Erase), select({})},
         {S, None, false, false, false, false}},
        {"fill, then another poxel: fill and get go up",
         {select(poxel()), brush(CellBrush::Fill), select(poxel(10009))},
         {S, None, false, false, true, true}},
        {"fill, then New map",
         {select(poxel()), brush(CellBrush::Fill), documentShown(root())},
         {S, None, false, false, false, false}},
        {"get, then Open",
         {select(poxel()), brush(CellBrush::Get), documentShown(root())},
         {S, None, false, false, false, false}},
        {"fill, then Import Map",
         {select(poxel()), brush(CellBrush::Fill), documentShown(root(false))},
         {S, None, false, false, false, false}},
        {"fill over the new root cannot be pressed again",
         {select(poxel()), brush(CellBrush::Fill), documentShown(root()), brush(CellBrush::Fill)},
         {S, None, false, false, false, false}},
        {"pick, then another node",
         {select(poxel()), pick, select(poxel(10009))},
         {S, None, false, false, true, true}},
        {"layers mode, then an entity",
         {select(poxel()), layers, select(entity())},
         {S, None, false, false, true, false}},
        {"move, then the root: the select tool",
         {select(poxel()), choose(ToolKind::Move), select(root())},
         {S, None, false, false, false, false}},
        {"move, then a cell brush: the select tool",
         {select(poxel()), choose(ToolKind::Move), brush(CellBrush::Fill)},
         {S, CellBrush::Fill, false, false, false, true}},
        {"rotate, then layers mode: the select tool",
         {select(poxel()), choose(ToolKind::Rotate), layers},
         {S, None, false, true, true, true}},
        {"scale stays in layers mode",
         {select(poxel()), choose(ToolKind::Scale), layers},
         {ToolKind::Scale, None, false, true, true, true}},
        {"pick takes the select tool",
         {select(poxel()), choose(ToolKind::Zoom), pick},
         {S, None, true, false, false, true}},
        {"one brush at a time",
         {select(poxel()), brush(CellBrush::Fill), brush(CellBrush::Get), pick, layers},
         {S, None, false, true, true, true}},
        {"a brush clicked again goes up",
         {select(poxel()), brush(CellBrush::Erase), brush(CellBrush::Erase)},
         {S, None, false, false, true, true}},
    };
    for (const Row& row : rows) {
        ToolModel m;
        for (const Step& step : row.steps)
            step(m);
        EXPECT_EQ(seen(m), row.expected) << row.what;
        // Whatever is down can be used: nothing is down and disabled.
        EXPECT_TRUE(m.cellBrush() == None || m.cellBrushesEnabled()) << row.what;
        EXPECT_TRUE(!m.heightPick() || m.heightPickEnabled()) << row.what;
        EXPECT_TRUE(!m.layersMode() || m.layersModeEnabled()) << row.what;
        EXPECT_TRUE(m.toolEnabled(m.tool())) << row.what;
    }
}

TEST(ToolModel, ChoosingToolsAsTheToolBarAndTheRightButtonDo) {
    ToolModel m;
    int changed = 0;
    QObject::connect(&m, &ToolModel::changed, [&] { ++changed; });
    m.chooseTool(ToolKind::Move);
    EXPECT_EQ(m.tool(), S) << "disabled without a selection";
    EXPECT_EQ(changed, 0) << "nothing changed, nothing told";
    m.showSelection(poxel());
    EXPECT_TRUE(m.zoomSelectedEnabled());

    // The right button twice: camera rotation on, then back to the object tool in use.
    m.chooseTool(ToolKind::Move);
    m.chooseTool(ToolKind::Orbit);
    EXPECT_EQ(m.tool(), ToolKind::Orbit);
    EXPECT_EQ(m.gizmo(), GizmoKind::Move) << "the move gizmo stays in view";
    m.chooseTool(ToolKind::Orbit);
    EXPECT_EQ(m.tool(), ToolKind::Move);
    // From the select tool and back to it.
    m.chooseSelect();
    m.chooseTool(ToolKind::Orbit);
    m.chooseTool(ToolKind::Orbit);
    EXPECT_EQ(m.tool(), S);
    // The object tool used before, disabled meanwhile: the select tool.
    m.chooseTool(ToolKind::Scale);
    m.chooseTool(ToolKind::Orbit);
    m.toggleCellBrush(CellBrush::Fill);
    EXPECT_EQ(m.tool(), ToolKind::Orbit) << "camera tools work with a brush down";
    m.chooseTool(ToolKind::Orbit);
    EXPECT_EQ(m.tool(), S);
    m.toggleCellBrush(CellBrush::Fill);

    // The move tool takes restriction X in place of the uniform one.
    m.chooseTool(ToolKind::Scale);
    m.setRestriction(RestrictXYZ);
    m.chooseTool(ToolKind::Move);
    EXPECT_EQ(m.restriction(), RestrictX);

    // Layers mode: level corners along X, no plane restrictions, no rotation.
    m.setRestriction(RestrictY);
    m.toggleLayersMode();
    EXPECT_EQ(m.restriction(), RestrictX);
    EXPECT_FALSE(m.restrictionEnabled(RestrictXY));
    EXPECT_TRUE(m.restrictionEnabled(RestrictZ));
    EXPECT_FALSE(m.toolEnabled(ToolKind::Rotate));
    EXPECT_TRUE(m.toolEnabled(ToolKind::Scale));
    m.toggleLayersMode();
    EXPECT_TRUE(m.restrictionEnabled(RestrictXY));

    // Show Points goes with the fill brush.
    EXPECT_FALSE(m.showPointsEnabled());
    m.toggleCellBrush(CellBrush::Fill);
    EXPECT_TRUE(m.showPointsEnabled());
    m.showSelection({});
    EXPECT_FALSE(m.showPointsEnabled());
    EXPECT_FALSE(m.zoomSelectedEnabled());
}
