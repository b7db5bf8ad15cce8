// The tools in the window: the model behind the tool bar and the brush buttons, which show its
// state and call its commands; the controller the view's input goes to; and what the tools ask
// of the window (selecting in the trees, the brush settings, redrawing, the pointer on the
// desktop).

#include "editor/gui/MainForm.h"

#include "editor/gui/PropertiesPage.h"
#include "editor/gui/ValueGrids.h"
#include "editor/tools/ToolController.h"
#include "render/gl/PoxelLists.h"
#include "render/gui/OpenGLBox.h"
#include "ui/gui/EditX.h"

#include <QAction>
#include <QCursor>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QToolButton>
#include <QTreeWidget>

namespace lw {

class TMainForm::ToolHostImpl : public ToolHost {
public:
    explicit ToolHostImpl(TMainForm& form) : f_(form) {}

    void repaint() override { f_.repaintView(); }
    void selectById(int32_t listId) override { f_.selectById(listId); }
    void selectCopy(TPoxel& node) override {
        if (auto* item = static_cast<QTreeWidgetItem*>(node.Node))
            if (QTreeWidgetItem* parentItem = item->parent())
                parentItem->setExpanded(true);
        f_.selectTreeNode(&node);
    }
    CellBrushSettings cellBrushSettings() const override {
        return f_.PropertiesPage->cellBrushSettings();
    }
    void showCellSettings(uint32_t cell) override { f_.PropertiesPage->showCellSettings(cell); }
    // Showing the value runs the field's handler, as typing it would.
    void showHeight(double h) override { f_.PropertiesPage->HmHeightEdit->setFloatVal(h); }
    void previewGeometry(TPoxel& node) override { f_.rebuildMesh(node, false); }
    void liveEditBegins() override { gl::keepSlabBuffersForUndo(); }
    ScreenPoint wrapPointer(ScreenPoint at) override {
        const QPoint pos(at.x, at.y);
        QScreen* screen = QGuiApplication::screenAt(pos);
        if (!screen)
            return at;
        const QRect g = screen->geometry();
        const auto to =
            lw::wrapPointer(at, {g.left(), g.top(), g.left() + g.width(), g.top() + g.height()});
        if (!to)
            return at;
        QCursor::setPos(screen, QPoint(to->x, to->y));
        return *to;
    }

private:
    TMainForm& f_;
};

namespace {

constexpr ToolKind kCameraTools[5] = {ToolKind::Zoom, ToolKind::Pan, ToolKind::Orbit,
                                      ToolKind::Perspective, ToolKind::Dolly};

} // namespace

void TMainForm::ToolHostDeleter::operator()(ToolHostImpl* host) const {
    delete host;
}

void TMainForm::createTools() {
    tools_ = new ToolModel(this);
    toolHost_.reset(new ToolHostImpl(*this));
    controller_ = std::make_unique<ToolController>(*doc_, *tools_, scene_, *OpenGLBox_, *toolHost_);
    // A document opened, created or imported: every brush goes up.
    for (auto shown : {&MapDocument::documentReplaced, &MapDocument::importMapReplaced,
                       &MapDocument::importObjectReplaced})
        connect(doc_, shown, tools_, &ToolModel::documentShown);
}

TPoxel* TMainForm::shownSelection() const {
    TPoxel* node = selectedPoxel();
    if (!node && scene_.HeightmapPreview && scene_.SelectedId != 0 &&
        scene_.HeightmapPreview->ListId == scene_.SelectedId)
        node = scene_.HeightmapPreview;
    return node;
}

void TMainForm::updateToolEnabling() {
    tools_->setSelection(selectionOf(shownSelection(), scene_.ShownRoot == doc_->root()));
    // Copy follows the map shown too (nodes of the imported map can be copied).
    updateEditActions();
}

void TMainForm::connectToolButtons() {
    // A click runs the model's command; the buttons then show the model again, also when the
    // command changed nothing (a checkable button unchecks itself when clicked while down).
    auto onClick = [this](QAbstractButton* button, auto command) {
        connect(button, &QAbstractButton::clicked, this, [this, command] {
            command();
            mirrorTools();
        });
    };
    for (size_t i = 0; i < 5; ++i)
        onClick(toolButtons_[i], [this, i] { tools_->chooseTool(kCameraTools[i]); });
    onClick(ToolButton6, [this] { controller_->zoomSelected(); });
    onClick(ToolButton11, [this] { tools_->chooseSelect(); });
    onClick(ToolButton8, [this] { tools_->chooseTool(ToolKind::Move); });
    onClick(ToolButton9, [this] { tools_->chooseTool(ToolKind::Rotate); });
    onClick(ToolButton10, [this] { tools_->chooseTool(ToolKind::Scale); });
    for (size_t i = 0; i < restrictButtons_.size(); ++i)
        onClick(restrictButtons_[i], [this, i] { tools_->setRestriction(int(i)); });
    TPropertiesPage* page = PropertiesPage;
    onClick(page->ButFillPoxel, [this] { tools_->toggleCellBrush(CellBrush::Fill); });
    onClick(page->ButGetPoxel, [this] { tools_->toggleCellBrush(CellBrush::Get); });
    onClick(page->ButDelPoxel, [this] { tools_->toggleCellBrush(CellBrush::Erase); });
    onClick(page->HmPickBut, [this] { tools_->toggleHeightPick(); });
    onClick(page->LayersPick, [this] { tools_->toggleLayersMode(); });

    connect(tools_, &ToolModel::changed, this, &TMainForm::mirrorTools);
    // Every fill of the panels is a selection shown, with the releases that go with it.
    connect(page, &TPropertiesPage::laidOut, this, [this, page] {
        tools_->showSelection(selectionOf(page->PanelPoxel(), page->editedMapShown()));
    });
    connect(page, &TPropertiesPage::message, this,
            [this](const QString& text) { setStatus(0, text); });
    connect(controller_.get(), &ToolController::statusChanged, this,
            [this](const QString& text) { setStatus(0, text); });
    connect(controller_.get(), &ToolController::cursorChanged, OpenGLBox_,
            &TOpenGLBox::setCursorCode);
    mirrorTools();
}

void TMainForm::mirrorTools() {
    const ToolModel& m = *tools_;
    auto show = [](QAbstractButton* b, bool down, bool enabled) {
        b->setChecked(down);
        b->setEnabled(enabled);
    };
    for (size_t i = 0; i < 5; ++i)
        show(toolButtons_[i], m.tool() == kCameraTools[i], true);
    ToolButton6->setEnabled(m.zoomSelectedEnabled());
    show(ToolButton11, m.tool() == ToolKind::Select, true);
    show(ToolButton8, m.tool() == ToolKind::Move, m.toolEnabled(ToolKind::Move));
    show(ToolButton9, m.tool() == ToolKind::Rotate, m.toolEnabled(ToolKind::Rotate));
    show(ToolButton10, m.tool() == ToolKind::Scale, m.toolEnabled(ToolKind::Scale));
    for (size_t i = 0; i < restrictButtons_.size(); ++i)
        show(restrictButtons_[i], m.restriction() == int(i), m.restrictionEnabled(int(i)));
    DrawPoint->setEnabled(m.showPointsEnabled());
    OpenGLBox_->setCursorCode(controller_->cursorCode());
    TPropertiesPage* page = PropertiesPage;
    if (!page)
        return;
    const CellBrush brush = m.cellBrush();
    show(page->ButFillPoxel, brush == CellBrush::Fill, m.cellBrushesEnabled());
    show(page->ButGetPoxel, brush == CellBrush::Get, m.cellBrushesEnabled());
    show(page->ButDelPoxel, brush == CellBrush::Erase, m.cellBrushesEnabled());
    show(page->HmPickBut, m.heightPick(), m.heightPickEnabled());
    show(page->LayersPick, m.layersMode(), m.layersModeEnabled());
    page->HmHeightEdit->setEnabled(m.heightPick());
    // The cell table shows the brush's cursor while one is down.
    if (brush == CellBrush::None)
        page->TextCodeTab->unsetCursor();
    else
        page->TextCodeTab->setCursor(TOpenGLBox::cursorForCode(brush == CellBrush::Fill ? CodeFill
                                                               : brush == CellBrush::Get
                                                                   ? CodeGetFill
                                                                   : CodeErase));
    updateShownPoints();
}

} // namespace lw
