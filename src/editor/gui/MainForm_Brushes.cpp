// The brushes' side of the window: the settings on the property page that the brush tools read
// ("Height", "Radius", "Soft len"), "Blur" and "Show Points", and the meshes of the selected
// poxel with the points of its empty cells while the fill brush shows them. The brushes
// themselves are tools (editor/tools); their buttons follow the tool model (MainForm_Tools.cpp).

#include "editor/gui/MainForm.h"

#include "editor/gui/PropertiesPage.h"
#include "editor/tools/ToolController.h"
#include "render/gl/PoxelLists.h"
#include "render/gui/OpenGLBox.h"
#include "ui/gui/EditX.h"

#include <QAction>
#include <QPushButton>

namespace lw {

void TMainForm::connectBrushes() {
    TPropertiesPage* page = PropertiesPage;
    connect(page->SpeedButton1, &QPushButton::clicked, this, &TMainForm::SpeedButton1Click);
    connect(DrawPoint, &QAction::triggered, this, &TMainForm::DrawPointClick);
    connect(page->HmHeightEdit, &TEditX::FloatFunc, this,
            [this](double h) { controller_->heightBrushTool().setHeight(h); });
    connect(page->HmRadEdit, &TEditX::FloatFunc, this, &TMainForm::HmRadEditFloatFunc);
    connect(page->LayersLen, &TEditX::FloatFunc, this, &TMainForm::LayersLenFloatFunc);
    // The pick lists take the fields' values ("Radius", "Soft len").
    controller_->heightPicks().Radius = static_cast<float>(page->HmRadEdit->FloatVal());
    controller_->layerPicks().SoftLen = static_cast<float>(page->LayersLen->FloatVal());

    connect(doc_, &MapDocument::nodeChanged, this, &TMainForm::brushNodeChanged);
    connect(doc_, &MapDocument::nodeAboutToBeRemoved, this, [this](TPoxel*, TPoxel* node) {
        if (pointsNode_ && isInSubtree(*node, *pointsNode_))
            pointsNode_ = nullptr;
    });
    connect(doc_, &MapDocument::documentAboutToBeReplaced, this, [this] { pointsNode_ = nullptr; });
}

TPoxel* TMainForm::brushPoxel() const {
    if (scene_.ShownRoot != doc_->root())
        return nullptr;
    TPoxel* node = selectedPoxel();
    if (!node || node->IsRoot || node->IsGroup || node->IsEntity || node->IsHeightmapImage)
        return nullptr;
    return node;
}

void TMainForm::rebuildMesh(TPoxel& node, bool points) {
    if (points)
        pointsNode_ = &node;
    else if (pointsNode_ == &node)
        pointsNode_ = nullptr;
    if (!OpenGLBox_->glReady())
        return;
    OpenGLBox_->withContext([&] {
        node.ShowPoints = points;
        gl::BuildPoxelMesh(node, scene_.Textures);
        node.ShowPoints = false;
    });
}

void TMainForm::updateShownPoints() {
    TPoxel* node =
        tools_->cellBrush() == CellBrush::Fill && DrawPoint->isChecked() ? brushPoxel() : nullptr;
    if (node == pointsNode_)
        return;
    if (pointsNode_)
        rebuildMesh(*pointsNode_, false);
    if (node)
        rebuildMesh(*node, true);
    repaintView();
}

void TMainForm::brushNodeChanged(TPoxel* node, NodeChanges what) {
    // The window rebuilt the lists without the points of empty cells: while they are shown, put
    // them back (a fill, its undo).
    if ((what & NodeChange::Geometry) && node == pointsNode_)
        rebuildMesh(*node, true);
}

void TMainForm::DrawPointClick() {
    updateShownPoints();
}

void TMainForm::SpeedButton1Click() {
    if (TPoxel* node = brushPoxel())
        blur(*doc_, *node, scene_.Textures);
}

void TMainForm::HmRadEditFloatFunc(double radius) {
    controller_->heightPicks().Radius = static_cast<float>(radius);
    // The tint of the points shows the new reach.
    if (tools_->heightPick())
        repaintView();
}

void TMainForm::LayersLenFloatFunc(double softLen) {
    controller_->layerPicks().SoftLen = static_cast<float>(softLen);
    if (tools_->layersMode())
        repaintView();
}

} // namespace lw
