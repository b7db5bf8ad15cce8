// The brushes in the view: the fill, erase and get brushes over the cells of the selected
// poxel, "Show Points", "Blur", the heightmap brush over picked grid points and the switches of
// the layers brush. Each stroke is one undo step (editor/Brushes.h); the buttons and settings
// live on the property page.

#include "editor/gui/MainForm.h"

#include "editor/gui/PropertiesPage.h"
#include "editor/gui/ValueGrids.h"
#include "render/gl/PoxelLists.h"
#include "render/gui/OpenGLBox.h"
#include "ui/Language.h"
#include "ui/gui/EditX.h"

#include <QAction>
#include <QPushButton>
#include <QToolButton>
#include <QUndoStack>

#include <utility>

namespace lw {

void TMainForm::connectBrushes() {
    TPropertiesPage* page = PropertiesPage;
    connect(page->ButFillPoxel, &QPushButton::clicked, this, &TMainForm::ButFillPoxelClick);
    connect(page->ButGetPoxel, &QPushButton::clicked, this, &TMainForm::ButGetPoxelClick);
    connect(page->ButDelPoxel, &QPushButton::clicked, this, &TMainForm::ButDelPoxelClick);
    connect(page->HmPickBut, &QPushButton::clicked, this, &TMainForm::HmPickButClick);
    connect(page->LayersPick, &QPushButton::clicked, this, &TMainForm::LayersPickClick);
    connect(page->SpeedButton1, &QPushButton::clicked, this, &TMainForm::SpeedButton1Click);
    connect(DrawPoint, &QAction::triggered, this, &TMainForm::DrawPointClick);
    connect(page->HmHeightEdit, &TEditX::FloatFunc, this, &TMainForm::HmHeightEditFloatFunc);
    connect(page->HmRadEdit, &TEditX::FloatFunc, this, &TMainForm::HmRadEditFloatFunc);
    connect(page->LayersLen, &TEditX::FloatFunc, this, &TMainForm::LayersLenFloatFunc);

    // What follows the buttons however they change: a click, a key, or a new selection that
    // releases them.
    for (QPushButton* b : {page->ButFillPoxel, page->ButGetPoxel, page->ButDelPoxel})
        connect(b, &QPushButton::toggled, this, &TMainForm::cellBrushToggled);
    connect(page->HmPickBut, &QPushButton::toggled, this, &TMainForm::heightPickToggled);
    connect(page->LayersPick, &QPushButton::toggled, this, &TMainForm::layersModeToggled);

    // What the view's mouse handlers call.
    brushHooks_.FillClick = [this](int x, int y) { FillClick(x, y); };
    brushHooks_.EraseClick = [this](int x, int y) { EraseClick(x, y); };
    brushHooks_.GetClick = [this](int x, int y) { GetClick(x, y); };
    brushHooks_.SnapshotHeights = [this] { SnapshotHeights(); };
    brushHooks_.StrokeStep = [this](int x, int y) { return brushStrokeStep(x, y); };
    brushHooks_.EndStroke = [this] { endBrushStroke(); };

    connect(doc_, &MapDocument::nodeChanged, this, &TMainForm::brushNodeChanged);
    connect(doc_, &MapDocument::nodeAboutToBeRemoved, this,
            [this](TPoxel*, TPoxel* node) { brushNodeLeaves(node); });
    connect(doc_, &MapDocument::documentAboutToBeReplaced, this,
            [this] { brushNodeLeaves(doc_->root()); });
    // An undo or redo from the keyboard while the button is held ends the stroke: its cells at
    // the press no longer describe the poxel.
    connect(doc_->undoStack(), &QUndoStack::indexChanged, this, [this] {
        if (brush_.Stroke.active() && !brush_.PaintingCells)
            endBrushStroke();
    });
}

// ---- Helpers --------------------------------------------------------------------------------

TPoxel* TMainForm::brushPoxel() const {
    if (scene_.ShownRoot != doc_->root())
        return nullptr;
    TPoxel* node = selectedPoxel();
    if (!node || node->IsRoot || node->IsGroup || node->IsEntity || node->IsHeightmapImage)
        return nullptr;
    return node;
}

void TMainForm::rebuildMesh(TPoxel& node, bool points) {
    if (!OpenGLBox_->glReady())
        return;
    OpenGLBox_->withContext([&] {
        node.ShowPoints = points;
        gl::BuildPoxelMesh(node, scene_.Textures);
        node.ShowPoints = false;
    });
    if (points)
        brush_.PointsNode = &node;
    else if (brush_.PointsNode == &node)
        brush_.PointsNode = nullptr;
}

void TMainForm::brushNodeLeaves(TPoxel* node) {
    if (!node)
        return;
    auto goes = [node](TPoxel* p) { return p && isInSubtree(*node, *p); };
    if (goes(brush_.StrokeNode)) {
        brush_.Stroke.end();
        brush_.StrokeNode = nullptr;
        brush_.CellsAtPress.clear();
    }
    if (goes(brush_.HeightsNode)) {
        brush_.HeightSession.end();
        brush_.HeightsNode = nullptr;
        brush_.Heights.clear();
        brush_.HeightsWritten.clear();
    }
    if (goes(brush_.PointsNode))
        brush_.PointsNode = nullptr;
}

void TMainForm::brushNodeChanged(TPoxel* node, NodeChanges what) {
    if (!(what & NodeChange::Geometry))
        return;
    // The lists were rebuilt without the points of empty cells; while they are shown, put them
    // back (an undo of a fill, for example).
    if (node == brush_.PointsNode && !brush_.PaintingCells) {
        if (PropertiesPage->ButFillPoxel->isChecked() && DrawPoint->isChecked() &&
            node == brushPoxel())
            rebuildMesh(*node, true);
        else
            brush_.PointsNode = nullptr;
    }
    // "Height" is an offset from the snapshot: when the heights change otherwise (an undo, a
    // table edit), the snapshot is taken again, so the field never stands for stale heights.
    if (node == brush_.HeightsNode && !brush_.PaintingHeights &&
        node->Heights != brush_.HeightsWritten)
        SnapshotHeights();
}

// ---- The cell brushes -----------------------------------------------------------------------

void TMainForm::ButFillPoxelClick() {
    cellBrushClick(PropertiesPage->ButFillPoxel, CodeFill);
}

void TMainForm::ButGetPoxelClick() {
    cellBrushClick(PropertiesPage->ButGetPoxel, CodeGetFill);
}

void TMainForm::ButDelPoxelClick() {
    cellBrushClick(PropertiesPage->ButDelPoxel, CodeErase);
}

void TMainForm::cellBrushClick(QPushButton* button, int code) {
    TPropertiesPage* page = PropertiesPage;
    if (button->isChecked()) {
        page->TextCodeTab->setCursor(TOpenGLBox::cursorForCode(code));
    } else {
        if (TPoxel* node = brushPoxel()) {
            node->DirectDraw = false;
            rebuildMesh(*node, false);
            scene_.SelectedId = node->ListId;
        }
        page->TextCodeTab->unsetCursor();
    }
    // One brush at a time: the heightmap and layers brushes go up.
    page->HmPickBut->setChecked(false);
    page->LayersPick->setChecked(false);
    cellBrushToggled();
    repaintView();
}

void TMainForm::cellBrushToggled() {
    TPropertiesPage* page = PropertiesPage;
    const bool fill = page->ButFillPoxel->isChecked();
    DrawPoint->setEnabled(fill);
    if (!fill && brush_.PointsNode)
        rebuildMesh(*brush_.PointsNode, false);
    if (!page->ButFillPoxel->isChecked() && !page->ButDelPoxel->isChecked())
        endBrushStroke();
    updateToolEnabling();
}

void TMainForm::FillClick(int x, int y) {
    endBrushStroke();
    TPoxel* node = brushPoxel();
    if (!node || !PropertiesPage->ButFillPoxel->isChecked())
        return;
    brush_.Stroke.begin(BrushKind::Fill);
    gl::keepSlabListsForUndo();
    brush_.StrokeNode = node;
    brush_.CellsAtPress = node->Voxels;
    cellBrushSample(x, y);
}

void TMainForm::EraseClick(int x, int y) {
    endBrushStroke();
    TPoxel* node = brushPoxel();
    if (!node || !PropertiesPage->ButDelPoxel->isChecked())
        return;
    brush_.Stroke.begin(BrushKind::Erase);
    gl::keepSlabListsForUndo();
    brush_.StrokeNode = node;
    brush_.CellsAtPress = node->Voxels;
    cellBrushSample(x, y);
}

QString TMainForm::brushStrokeStep(int x, int y) {
    if (!brush_.Stroke.active())
        return {};
    return cellBrushSample(x, y);
}

void TMainForm::endBrushStroke() {
    brush_.Stroke.end();
    brush_.StrokeNode = nullptr;
    brush_.CellsAtPress.clear();
}

QString TMainForm::cellBrushSample(int x, int y) {
    TPoxel* node = brush_.StrokeNode;
    const bool fill = brush_.Stroke.kind() == BrushKind::Fill;
    const QString mode = langText(fill ? "[sFillMode]" : "[sEraseMode]");
    if (!node || !brush_.Stroke.active() || brush_.CellsAtPress.size() != node->Voxels.size())
        return mode;
    // The stroke's picks see the cells as they were at the press: an erased cell must not
    // uncover the one behind it to the next movement, or a stroke would dig a tunnel. The cells
    // are only swapped for the pick pass, which reads nothing else of them.
    std::swap(node->Voxels, brush_.CellsAtPress);
    scene_.BrushPickPass = true;
    const uint32_t p = OpenGLBox_->PickAt(x, y);
    scene_.BrushPickPass = false;
    std::swap(node->Voxels, brush_.CellsAtPress);
    if (p == 0 || p > node->Voxels.size())
        return mode;
    const uint32_t code = fill ? fillCodeOf(PropertiesPage->cellBrushSettings()) : 0;
    const bool points = fill && DrawPoint->isChecked();
    brush_.PaintingCells = true;
    node->ShowPoints = points;
    const bool painted = paintCell(*doc_, *node, size_t(p) - 1, code, brush_.Stroke);
    node->ShowPoints = false;
    brush_.PaintingCells = false;
    if (painted && points)
        brush_.PointsNode = node;
    repaintView();
    return QStringLiteral("%1 [%2]").arg(mode).arg(p);
}

void TMainForm::GetClick(int x, int y) {
    TPoxel* node = brushPoxel();
    if (!node || !PropertiesPage->ButGetPoxel->isChecked())
        return;
    scene_.BrushPickPass = true;
    const uint32_t p = OpenGLBox_->PickAt(x, y);
    scene_.BrushPickPass = false;
    if (p == 0 || p > node->Voxels.size())
        return;
    PropertiesPage->showCellSettings(node->Voxels[p - 1]);
}

void TMainForm::DrawPointClick() {
    TPoxel* node = brushPoxel();
    if (!node)
        return;
    rebuildMesh(*node, DrawPoint->isChecked());
    repaintView();
}

void TMainForm::SpeedButton1Click() {
    if (TPoxel* node = brushPoxel())
        blur(*doc_, *node, scene_.Textures);
}

// ---- The heightmap brush --------------------------------------------------------------------

void TMainForm::HmPickButClick() {
    TPropertiesPage* page = PropertiesPage;
    // One brush at a time.
    for (QPushButton* b :
         {page->ButFillPoxel, page->ButGetPoxel, page->ButDelPoxel, page->LayersPick})
        b->setChecked(false);
    heightPicks_.Clear();
    if (page->HmPickBut->isChecked())
        SnapshotHeights();
    else
        page->HmHeightEdit->setFloatVal(0);
    // "Radius" writes the pick list's radius; showing the value writes it at once.
    page->HmRadEdit->setFloatVal(page->HmRadEdit->FloatVal());
    ToolButton11Click();
    updateToolEnabling();
    repaintView();
}

void TMainForm::heightPickToggled(bool down) {
    scene_.HeightPick = down;
    PropertiesPage->HmHeightEdit->setEnabled(down);
    if (!down) {
        brush_.HeightSession.end();
        brush_.HeightsNode = nullptr;
        brush_.Heights.clear();
        brush_.HeightsWritten.clear();
    }
    updateToolEnabling();
    repaintView();
}

void TMainForm::SnapshotHeights() {
    TPoxel* node = scene_.ShownRoot == doc_->root() ? selectedPoxel() : nullptr;
    // Only a node of the edited map: the history must never hold a node it does not own.
    if (node && (node->IsEntity || node->IsHeightmapImage || !doc_->contains(*node)))
        node = nullptr;
    brush_.HeightSession.begin(BrushKind::Heights);
    gl::keepSlabListsForUndo();
    brush_.HeightsNode = node;
    brush_.Heights = node ? node->Heights : HeightSnapshot{};
    brush_.HeightsWritten = brush_.Heights;
    // Showing 0 runs the height handler once, which gives the snapshot back unchanged.
    PropertiesPage->HmHeightEdit->setFloatVal(0);
}

void TMainForm::HmHeightEditFloatFunc(double h) {
    TPoxel* node = brush_.HeightsNode;
    if (!PropertiesPage->HmPickBut->isChecked() || !node || !brush_.HeightSession.active())
        return;
    brush_.PaintingHeights = true;
    paintHeights(*doc_, *node, brush_.Heights, heightPicks_, h, brush_.HeightSession);
    brush_.PaintingHeights = false;
    brush_.HeightsWritten = node->Heights;
    repaintView();
}

void TMainForm::HmRadEditFloatFunc(double radius) {
    heightPicks_.Radius = static_cast<float>(radius);
    // The tint of the points shows the new reach.
    if (PropertiesPage->HmPickBut->isChecked())
        repaintView();
}

// ---- The layers brush -----------------------------------------------------------------------

void TMainForm::LayersPickClick() {
    TPropertiesPage* page = PropertiesPage;
    ToolButton13Click(ToolButton13); // level corners move along X first
    for (QPushButton* b :
         {page->HmPickBut, page->ButFillPoxel, page->ButGetPoxel, page->ButDelPoxel})
        b->setChecked(false);
    // "Soft len" writes the pick list's soft length; the list itself is kept.
    page->LayersLen->setFloatVal(page->LayersLen->FloatVal());
    updateToolEnabling();
    repaintView();
}

void TMainForm::layersModeToggled(bool down) {
    scene_.LayersMode = down;
    // Level corners move in the level's plane only along one axis at a time.
    for (size_t i = RestrictXY; i <= RestrictZX; ++i)
        restrictButtons_[i]->setEnabled(!down);
    updateToolEnabling();
    repaintView();
}

void TMainForm::LayersLenFloatFunc(double softLen) {
    layerPicks_.SoftLen = static_cast<float>(softLen);
    if (PropertiesPage->LayersPick->isChecked())
        repaintView();
}

} // namespace lw
