#pragma once
// The "Properties" page: the collapsible panels that show and edit the selected node (name,
// transform, clip, library name, texture coordinates, level offsets, cell counts, cell codes,
// heights, surface switches) and the three value tables with their menu and the "Value Edit"
// dialog. Every change goes through the document as an undo step; the page follows the
// document's notifications, so undo, redo and edits made elsewhere show at once, and a node
// that leaves the map takes every binding of the page with it.
//
// The main window calls FillPanels whenever the selection or the shown document changes
// (including after it replaced a reference document: the page holds no pointer into a document
// it was not refilled from). The implementation is split: PropertiesPage.cpp (building the
// panels, layout, filling), PropertiesPage_Edits.cpp (the field handlers),
// PropertiesPage_Tables.cpp (the value tables, their menu and the value dialog).

#include "editor/Brushes.h"
#include "editor/MapDocument.h"
#include "editor/PropertyEdits.h"

#include <QColor>
#include <QPointer>
#include <QWidget>

#include <array>
#include <functional>

class QAction;
class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QScrollArea;

namespace lw {

class TCheckBoxX;
class TEditX;
class TPanelPlus;
class TTextCodeModel;
class TValForm;
class TValueGrid;
class TValueGridModel;

class TPropertiesPage : public QWidget {
    Q_OBJECT

public:
    // Hooks for tests and embedders; unset ones open the usual dialogs.
    struct Dialogs {
        // The chosen file or an empty string.
        std::function<QString(QWidget*, const QString& suggested, const QString& filter)> openFile;
        std::function<QString(QWidget*, const QString& suggested, const QString& filter)> saveFile;
        // The chosen colour, or an invalid colour when cancelled.
        std::function<QColor(QWidget*, const QColor& initial)> chooseColor;
        std::function<void(QWidget*, const QString& title, const QString& text)> error;
        // A question with Yes and No: QMessageBox::Yes or QMessageBox::No.
        std::function<int(QWidget*, const QString& title, const QString& text)> question;
    };

    // `scrollBox` is the scroll area the page is shown in (its position is kept across layouts).
    TPropertiesPage(MapDocument& doc, QScrollArea* scrollBox, QWidget* parent = nullptr);
    ~TPropertiesPage() override;

    Dialogs& dialogs() { return dialogs_; }

    // Fills every panel from `poxel` (nullptr: nothing selected). `editedMapShown` tells whether
    // the edited map is the shown document; only then are its fields editable.
    void FillPanels(TPoxel* poxel, bool editedMapShown);
    // Visibility, order, colours and enabling for the panel poxel.
    void LayoutPanels();

    TPoxel* PanelPoxel() const { return panelPoxel_; }
    bool editedMapShown() const { return editedMapShown_; }
    bool PanelsReady() const { return panelsReady_; }
    // The value grid in which a cell was selected last, and that cell (grid coordinates).
    ValueTable currentValueGrid() const { return currentGrid_; }
    TValueGrid* gridOf(ValueTable table) const;
    TValForm* valForm() const { return valForm_; }
    TTextCodeModel* textCodeModel() const { return textCodeModel_; }
    TValueGridModel* modelOf(ValueTable table) const;

    // Handlers, by the names of the controls they serve.
    void EditItem1Exit();
    void EditEmNameChange(const QString& text);
    void EditLibNameChange(const QString& text);
    void ApplySizeClick();
    void Button2Click();
    void Smooth1Click();
    void ImportVoxClick();
    void ExportVoxClick();
    // A cell of a value table was selected (grid coordinates: row 0 and, for the height grid,
    // column 0 are the title cells). Also run by a click on the cell.
    void selectCell(ValueTable table, int column, int row);
    // The table menu for `table` at the screen position `global`.
    void LayersValsContextPopup(ValueTable table, const QPoint& global);
    void Copy1Click();
    void abletoclopboard1Click();
    void PasteTable1Click();
    void EditValue1Click();

    // The settings of the brushes (PropertiesPage_Brushes.cpp). The cell brush settings as the
    // fill brush reads them, and the get brush showing a cell's (the corner boxes follow).
    CellBrushSettings cellBrushSettings() const;
    void showCellSettings(uint32_t cell);
    void EditX18FloatFunc();
    void EditX19Change();
    void EditX20Change();
    void CheckBoxXTestClick();
    void AutoBlurClick();

signals:
    // The panels were laid out for PanelPoxel(): on every fill (a new selection, a refill after
    // an edit). The brush modes that do not carry over are released then.
    void laidOut();
    // A word for the status bar (why a command did nothing).
    void message(const QString& text);

public:
    // ---- Controls, by designer name ------------------------------------------------------------
    QFrame* Panel8 = nullptr;
    QLabel* LabelName = nullptr;
    QLineEdit* EditItem1 = nullptr;

    TPanelPlus* PanelPlus1 = nullptr; // Position
    TEditX* EditX3 = nullptr;
    TEditX* EditX2 = nullptr;
    TEditX* EditX1 = nullptr;
    TPanelPlus* PanelPlus2 = nullptr; // Rotate
    TEditX* EditX4 = nullptr;
    TEditX* EditX5 = nullptr;
    TEditX* EditX6 = nullptr;
    TPanelPlus* PanelPlus3 = nullptr; // Size
    TEditX* EditX7 = nullptr;
    TEditX* EditX8 = nullptr;
    TEditX* EditX9 = nullptr;
    TPanelPlus* PanelPlus9 = nullptr; // Clip
    TEditX* EditX15 = nullptr;
    TEditX* EditX14 = nullptr;
    TEditX* EditX13 = nullptr;
    TPanelPlus* PanelPlus10 = nullptr; // Library Emitter
    QLineEdit* EditEmName = nullptr;
    QLineEdit* EditLibName = nullptr;
    QLabel* LabelEmName = nullptr;
    QLabel* LabelLibName = nullptr;

    TPanelPlus* PanelPlus4 = nullptr; // Texture Coordinates
    TValueGrid* TextCoord = nullptr;
    TPanelPlus* PanelPlus5 = nullptr; // Layers
    QPushButton* LayersPick = nullptr;
    TEditX* LayersLen = nullptr;
    TValueGrid* LayersVals = nullptr;
    TPanelPlus* PanelPlus6 = nullptr; // Poxels Size
    TEditX* EditX10 = nullptr;
    TEditX* EditX11 = nullptr;
    TEditX* EditX12 = nullptr;
    TEditX* EditX16 = nullptr;
    QPushButton* ApplySize = nullptr;

    // Poxel Texture: the cell brushes and their settings are wired by the brush commands.
    TPanelPlus* TextCodePanel = nullptr;
    QPushButton* ButFillPoxel = nullptr;
    QPushButton* ButGetPoxel = nullptr;
    QPushButton* ButDelPoxel = nullptr;
    TEditX* EditX18 = nullptr;
    TEditX* EditX17 = nullptr;
    TEditX* EditX19 = nullptr;
    TEditX* EditX20 = nullptr;
    std::array<TCheckBoxX*, 8> cornerBoxes_{}; // CheckBoxX1 .. CheckBoxX8
    QPushButton* AutoBlur = nullptr;
    QPushButton* SpeedButton1 = nullptr; // "Blur"
    QFrame* PanelCurText = nullptr;
    QWidget* PaintCurText = nullptr;
    TValueGrid* TextCodeTab = nullptr;
    QPushButton* ImportVox = nullptr;
    QPushButton* ExportVox = nullptr;

    // Height Map: the heightmap brush and the heightmap dialog are wired by their commands;
    // set HeightmapCommandsWired once "Import HMap" and "Export HMap" do something.
    TPanelPlus* PanelPlus7 = nullptr;
    QPushButton* HmPickBut = nullptr;
    TEditX* HmRadEdit = nullptr;
    TEditX* HmHeightEdit = nullptr;
    QPushButton* ImportHmap = nullptr;
    QPushButton* ExportHmap = nullptr;
    TValueGrid* HeightMapGrid = nullptr;
    bool HeightmapCommandsWired = false;

    TPanelPlus* PanelPlus8 = nullptr; // Surfaces Type
    QLabel* LabSur1 = nullptr;
    QLabel* LabSur2 = nullptr;
    QLabel* LabColor = nullptr;
    QFrame* Shape2 = nullptr;
    QPushButton* Button2 = nullptr; // "Select"
    TCheckBoxX* Smooth1 = nullptr;  // Top Smooth
    TCheckBoxX* Smooth2 = nullptr;  // Side Smooth
    TCheckBoxX* Smooth3 = nullptr;  // "?"
    TCheckBoxX* Smooth4 = nullptr;  // Visible
    TCheckBoxX* SurAlph = nullptr;  // Alpha
    QPushButton* Button3 = nullptr; // "Apply"

    // Height Map Texture: the heightmap preview's mask and swatches (its commands wire them).
    TPanelPlus* PanelPlus11 = nullptr;
    QLabel* HImageView = nullptr;
    QPushButton* ImportImage = nullptr;
    QPushButton* ExportImage = nullptr;
    QFrame* Panel1 = nullptr;
    QWidget* Text1Paint = nullptr;
    QFrame* Panel5 = nullptr;
    QWidget* Text2Paint = nullptr;

    // The table menu.
    QMenu* CopyMenu = nullptr;
    QAction* Value1 = nullptr;
    QAction* abletoclopboard1 = nullptr;
    QAction* Copy1 = nullptr;
    QAction* EditValue1 = nullptr;
    QAction* PasteTable1 = nullptr;

    // Every TPanelPlus in design order.
    std::array<TPanelPlus*, 12> panels() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // PropertiesPage.cpp
    void buildPanels();
    TPanelPlus* addPanel(const char* name, int fullHeight);
    TEditX* addField(QWidget* body, const char* name, const QString& label, double min, double max,
                     double step, int decimals);
    std::array<TEditX*, 3> buildVectorPanel(TPanelPlus* panel,
                                            const std::array<const char*, 3>& names, double min,
                                            double max, double step, int decimals);
    void buildTexturePanel();
    void buildHeightMapPanel();
    void buildSurfacesPanel();
    void buildHeightMapTexturePanel();
    void registerTexts();
    void placeBodies();
    void fillValues(NodeChanges what);
    void fillVectors();
    void fillTables();
    void setHeaderColours();
    QColor colourOf(bool active) const;
    bool isDocumentNode() const;
    void unbind();

    // PropertiesPage_Edits.cpp
    void connectFields();
    void onVectorField(VectorField field, int axis, double value);
    void onNodeChanged(TPoxel* node, NodeChanges what);
    void onNodeAboutToBeRemoved(TPoxel* parent, TPoxel* node);
    void reportError(const QString& text);

    // PropertiesPage_Brushes.cpp
    void connectBrushSettings();

    // PropertiesPage_Tables.cpp
    void buildTables();
    void buildCopyMenu();
    void connectGrid(TValueGrid* grid, ValueTable table);
    void refreshValueDialog();
    void onValueEdited(double value);
    bool gridEditable(ValueTable table) const;
    const float* currentCellValue() const;

    MapDocument& doc_;
    QPointer<QScrollArea> scrollBox_;
    Dialogs dialogs_;

    // What the panels show and whether it may be edited.
    TPoxel* panelPoxel_ = nullptr;
    bool editedMapShown_ = false;
    bool panelsReady_ = false;
    bool filling_ = false;          // values shown by a fill are never written back
    bool editable_ = false;         // E
    bool editableNoEntity_ = false; // E2
    bool editableCells_ = false;    // V
    // A fresh session number for each typed value and each spinner drag: the edits of one
    // session merge into one step.
    unsigned session_ = 0;

    // Value tables.
    TValueGridModel* textCoordModel_ = nullptr;
    TValueGridModel* layersModel_ = nullptr;
    TValueGridModel* heightsModel_ = nullptr;
    TTextCodeModel* textCodeModel_ = nullptr;
    ValueTable currentGrid_ = ValueTable::None;
    struct CellRef {
        int column = -1;
        int row = -1;
    };
    std::array<CellRef, 4> cellOf_{}; // per ValueTable
    bool validCell_ = false;
    float lastCopiedValue_ = 0.0f;
    QPoint menuPos_;
    TValForm* valForm_ = nullptr;
    ValueTable valTable_ = ValueTable::None; // the cell the value dialog edits
    CellRef valCell_;
    bool preparingValue_ = false;
};

} // namespace lw
