// The value tables of the property page: cell selection, the table menu with the clipboard, and
// the "Value Edit" dialog.

#include "editor/gui/PropertiesPage.h"

#include "editor/gui/ValForm.h"
#include "editor/gui/ValueGrids.h"
#include "ui/FloatText.h"
#include "ui/Language.h"
#include "ui/gui/EditX.h"
#include "ui/gui/PanelPlus.h"
#include "ui/gui/SpinFloatX.h"
#include "ui/gui/StylePaint.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>

namespace lw {

namespace {

// Model index to the grid's own coordinates (title row 0; the height grid's title column 0).
void gridCoordinates(ValueTable table, const QModelIndex& index, int* column, int* row) {
    *row = index.row() + 1;
    *column = table == ValueTable::HeightMap ? index.column() + 1 : index.column();
}

} // namespace

void TPropertiesPage::buildTables() {
    textCoordModel_ = new TValueGridModel(this);
    textCoordModel_->setColumnTitles({QStringLiteral("   S"), QStringLiteral("   T"),
                                      QStringLiteral("   R"), QStringLiteral("   Q")});
    TextCoord = new TValueGrid(PanelPlus4);
    TextCoord->setObjectName(QStringLiteral("TextCoord"));
    TextCoord->setModel(textCoordModel_);
    TextCoord->verticalHeader()->hide();
    TextCoord->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    TextCoord->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    TextCoord->horizontalHeader()->setDefaultSectionSize(33);
    applyGridColumnRule(TextCoord);

    layersModel_ = new TValueGridModel(this);
    layersModel_->setNumberColumn(true);
    layersModel_->setColumnTitles({QStringLiteral("#"), QStringLiteral("  -X"),
                                   QStringLiteral("  -Z"), QStringLiteral("  +X"),
                                   QStringLiteral("  +Z")});
    LayersVals = new TValueGrid(PanelPlus5);
    LayersVals->setObjectName(QStringLiteral("LayersVals"));
    LayersVals->setModel(layersModel_);
    LayersVals->verticalHeader()->hide();
    LayersVals->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    applyGridColumnRule(LayersVals);

    heightsModel_ = new TValueGridModel(this);
    HeightMapGrid = new TValueGrid(PanelPlus7);
    HeightMapGrid->setObjectName(QStringLiteral("HeightMapGrid"));
    HeightMapGrid->setModel(heightsModel_);
    HeightMapGrid->horizontalHeader()->setDefaultSectionSize(30);
    HeightMapGrid->verticalHeader()->setFixedWidth(20);
    HeightMapGrid->setCornerText(QStringLiteral("x\\z"));

    textCodeModel_ = new TTextCodeModel(this);
    TextCodeTab = new TValueGrid(TextCodePanel);
    TextCodeTab->setObjectName(QStringLiteral("TextCodeTab"));
    TextCodeTab->setModel(textCodeModel_);
    TextCodeTab->verticalHeader()->hide();
    TextCodeTab->setSelectionBehavior(QAbstractItemView::SelectRows);
    TextCodeTab->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    TextCodeTab->horizontalHeader()->resizeSection(0, 44);
    TextCodeTab->horizontalHeader()->setStretchLastSection(true);
    TextCodeTab->setFixedHeight(TValueGrid::kRowHeight + 31);

    connectGrid(TextCoord, ValueTable::TextCoord);
    connectGrid(LayersVals, ValueTable::Layers);
    connectGrid(HeightMapGrid, ValueTable::HeightMap);
}

void TPropertiesPage::buildCopyMenu() {
    CopyMenu = new QMenu(this);
    CopyMenu->setObjectName(QStringLiteral("CopyMenu"));
    auto add = [this](const char* name, const char* text) {
        QAction* a = CopyMenu->addAction(QString::fromLatin1(text));
        a->setObjectName(QString::fromLatin1(name));
        return a;
    };
    Value1 = add("Value1", "Value");
    Value1->setEnabled(false); // an information line
    CopyMenu->addSeparator();
    abletoclopboard1 = add("abletoclopboard1", "Copy Table");
    abletoclopboard1->setEnabled(false);
    Copy1 = add("Copy1", "Copy Value");
    CopyMenu->addSeparator();
    EditValue1 = add("EditValue1", "Edit Value");
    PasteTable1 = add("PasteTable1", "Paste Table");
    connect(abletoclopboard1, &QAction::triggered, this, &TPropertiesPage::abletoclopboard1Click);
    connect(Copy1, &QAction::triggered, this, &TPropertiesPage::Copy1Click);
    connect(EditValue1, &QAction::triggered, this, &TPropertiesPage::EditValue1Click);
    connect(PasteTable1, &QAction::triggered, this, &TPropertiesPage::PasteTable1Click);
}

void TPropertiesPage::connectGrid(TValueGrid* grid, ValueTable table) {
    auto select = [this, table](const QModelIndex& index) {
        if (filling_ || !index.isValid())
            return;
        int column = 0, row = 0;
        gridCoordinates(table, index, &column, &row);
        selectCell(table, column, row);
    };
    connect(grid, &QAbstractItemView::pressed, this, select);
    connect(grid->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [select](const QModelIndex& current, const QModelIndex&) { select(current); });
    connect(grid, &QWidget::customContextMenuRequested, this,
            [this, grid, table](const QPoint& at) {
                LayersValsContextPopup(table, grid->viewport()->mapToGlobal(at));
            });
}

TValueGrid* TPropertiesPage::gridOf(ValueTable table) const {
    switch (table) {
    case ValueTable::TextCoord:
        return TextCoord;
    case ValueTable::Layers:
        return LayersVals;
    case ValueTable::HeightMap:
        return HeightMapGrid;
    case ValueTable::None:
        break;
    }
    return nullptr;
}

TValueGridModel* TPropertiesPage::modelOf(ValueTable table) const {
    switch (table) {
    case ValueTable::TextCoord:
        return textCoordModel_;
    case ValueTable::Layers:
        return layersModel_;
    case ValueTable::HeightMap:
        return heightsModel_;
    case ValueTable::None:
        break;
    }
    return nullptr;
}

bool TPropertiesPage::gridEditable(ValueTable table) const {
    // Each grid follows the colour of its panel's header: the layers and the texture coordinates
    // that of the edited map, the heights that of a node of the map (not the heightmap preview).
    if (table == ValueTable::None || !editable_ || !isDocumentNode() || panelPoxel_->IsEntity)
        return false;
    return true;
}

const float* TPropertiesPage::currentCellValue() const {
    if (!panelPoxel_ || currentGrid_ == ValueTable::None)
        return nullptr;
    const CellRef& cell = cellOf_[size_t(currentGrid_)];
    return tableValue(panelPoxel_->content(), currentGrid_, cell.column, cell.row);
}

void TPropertiesPage::selectCell(ValueTable table, int column, int row) {
    if (table == ValueTable::None)
        return;
    currentGrid_ = table;
    cellOf_[size_t(table)] = {column, row};
    const float* value = currentCellValue();
    validCell_ = value != nullptr;
    if (!value)
        return;
    const bool editable = gridEditable(table);
    EditValue1->setEnabled(editable);
    if (!editable)
        return;
    // The value dialog now edits this cell; showing its value writes nothing.
    valTable_ = table;
    valCell_ = {column, row};
    preparingValue_ = true;
    valForm_->Label1->setText(tableValueLabel(*panelPoxel_, table, column, row));
    valForm_->ValueEd->setFloatVal(double(*value));
    preparingValue_ = false;
}

void TPropertiesPage::LayersValsContextPopup(ValueTable table, const QPoint& global) {
    abletoclopboard1->setEnabled(table == currentGrid_);
    if (table != currentGrid_)
        return; // a grid in which no cell was chosen shows no menu
    menuPos_ = global;
    const float* value = currentCellValue();
    validCell_ = value != nullptr;
    if (value)
        lastCopiedValue_ = *value;
    EditValue1->setEnabled(validCell_ && gridEditable(table));
    const QString text = QGuiApplication::clipboard()->text();
    PasteTable1->setEnabled(EditValue1->isEnabled() && clipboardStartsWithNumber(text));
    if (!validCell_)
        return;
    Value1->setText(QStringLiteral("[%1 = %2]")
                        .arg(langText("[mnuCopyValue]"), groupedNumber(double(lastCopiedValue_))));
    CopyMenu->popup(menuPos_);
}

void TPropertiesPage::Copy1Click() {
    QGuiApplication::clipboard()->setText(formatFixed(double(lastCopiedValue_), 6));
}

void TPropertiesPage::abletoclopboard1Click() {
    if (!panelPoxel_) {
        QGuiApplication::clipboard()->setText(QString());
        return;
    }
    if (currentGrid_ == ValueTable::None)
        return;
    QGuiApplication::clipboard()->setText(tableText(*panelPoxel_, currentGrid_));
}

void TPropertiesPage::PasteTable1Click() {
    TPoxel* p = panelPoxel_;
    if (!p || !gridEditable(currentGrid_))
        return;
    const QString text = QGuiApplication::clipboard()->text();
    if (text.isEmpty())
        return;
    pasteTable(doc_, *p, currentGrid_, text);
    FillPanels(p, editedMapShown_);
}

void TPropertiesPage::EditValue1Click() {
    if (valTable_ == ValueTable::None || !panelPoxel_ || !gridEditable(valTable_))
        return;
    if (!tableValue(panelPoxel_->content(), valTable_, valCell_.column, valCell_.row))
        return;
    if (!valForm_->isVisible() && !menuPos_.isNull())
        valForm_->move(menuPos_);
    valForm_->show();
    valForm_->raise();
}

void TPropertiesPage::refreshValueDialog() {
    if (!valForm_->isVisible() || !panelPoxel_)
        return;
    const float* v = tableValue(panelPoxel_->content(), valTable_, valCell_.column, valCell_.row);
    if (!v) {
        valForm_->hide(); // the cell went with an undone resize
        return;
    }
    if (static_cast<float>(valForm_->ValueEd->FloatVal()) != *v) {
        preparingValue_ = true;
        valForm_->ValueEd->setFloatVal(double(*v));
        preparingValue_ = false;
    }
}

void TPropertiesPage::onValueEdited(double value) {
    if (preparingValue_ || filling_ || !valForm_->isVisible() || !panelPoxel_ ||
        !gridEditable(valTable_))
        return;
    setTableValue(
        doc_, *panelPoxel_, valTable_, valCell_.column, valCell_.row, static_cast<float>(value),
        propertyMergeKey(tableFieldId(valTable_, valCell_.column, valCell_.row), session_));
}

} // namespace lw
