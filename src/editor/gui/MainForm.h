#pragma once
// The editor's main window: menu, vertical tool bar, 3D view, the two page controls and the
// status bar, the documents it holds and the commands that open, create, import and save them.
// The implementation is split by concern: MainForm.cpp (building the window, settings),
// MainForm_Documents.cpp (file and help commands), MainForm_View.cpp (view switches, tools,
// mouse and keys), MainForm_Tree.cpp (tree views and selection), MainForm_Textures.cpp (texture
// lists, the texture browser and the loaded textures).

#include "core/Poxel.h"
#include "editor/Documents.h"
#include "editor/DragMath.h"
#include "editor/MapDocument.h"
#include "render/PickArrays.h"
#include "render/SceneState.h"
#include "render/TextureList.h"

#include <QMainWindow>
#include <QPoint>

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QAbstractButton;
class QAction;
class QImage;
class QLabel;
class QMenu;
class QPushButton;
class QScrollArea;
class QTabWidget;
class QToolBar;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;
class QMouseEvent;
class QKeyEvent;

namespace lw {

class TOpenGLBox;
class TLanguageMenu;
class TStyleEditForm;
class TreeWidgetSink;
class TPoxelTree;
class TPropertiesPage;
class TextureListDocument;
class TTexturePage;
class TFormXom;
class TFormShowBox;
class TTextureSwatch;
class TBoxThumbnail;
struct TextureGlState;

class TMainForm : public QMainWindow {
    Q_OBJECT

public:
    // Hooks for tests and embedders: the file dialogs and message boxes.
    struct Dialogs {
        // Returns the chosen file or an empty string; `filterIndex` receives the chosen filter.
        std::function<QString(QWidget*, const QString& folder, const QString& filter)> openFile;
        std::function<QString(QWidget*, const QString& folder, const QString& filter,
                              int* filterIndex)>
            saveFile;
        std::function<void(QWidget*, const QString& title, const QString& text)> error;
        // Land library chooser: fills land and folder, returns true on OK.
        std::function<bool(QWidget*, QString* land, QString* folder)> chooseLand;
        std::function<bool(const QString& file)> openWithSystem;
        // "Save changes to NAME?": QMessageBox::Save, Discard or Cancel.
        std::function<int(QWidget*, const QString& title, const QString& text)> askSave;
    };

    explicit TMainForm(QWidget* parent = nullptr);
    ~TMainForm() override;

    // Start-up after the window exists: style, recent lists, language, panel texts.
    void LoadSettings();
    Dialogs& dialogs() { return dialogs_; }

    // Documents.
    MapDocument& document() { return *doc_; }
    TPoxel* EditRoot() const { return doc_->root(); }
    TPoxel* ImportMapRoot() const { return doc_->importMapRoot(); }
    TPoxel* ImportObjectRoot() const { return doc_->importObjectRoot(); }
    TPoxel* ShownRoot() const { return scene_.ShownRoot; }
    bool ImportMapActive() const { return importMapActive_; }
    bool LibraryLoaded() const { return doc_->libraryLoaded(); }
    int32_t SelectedId() const { return scene_.SelectedId; }
    // The node whose ListId is SelectedId, in the shown document.
    TPoxel* selectedPoxel() const;
    // The node the tree menu commands act on (TreeView1's selected node), or nullptr.
    TPoxel* treeSelectedPoxel() const;
    SceneState& scene() { return scene_; }
    TOpenGLBox* OpenGLBox() const { return OpenGLBox_; }
    const RecentList& recentMaps() const { return recentMaps_; }
    const RecentList& recentTextureLists() const { return recentTextureLists_; }

    // Commands (menu handlers). A file name given here skips the dialog. Commands that would
    // replace a modified map ask first and do nothing when the question is cancelled.
    bool openMapFile(const QString& fileName);
    bool newMap();
    bool importMapFile(const QString& fileName);
    // The open dialog for maps, starting in the folder a setting remembers.
    QString chooseMapFile(const char* folderSetting);
    // Saves the shown map under the name chosen in the save dialog.
    bool saveMapFile(const QString& chosen, bool kestrelFilter);
    // "Save changes to NAME?" when the edited map is modified: true when the caller may go on
    // (saved or discarded), false when the user cancelled or the save failed.
    bool maybeSave();
    // Lists the land library `fileName` into TreeView2.
    bool importObjectsFile(const QString& land, const QString& fileName);
    // Selects the node with `listId` as a click in the view does.
    void selectById(int32_t listId);

    // Texture lists and textures (MainForm_Textures.cpp). Opening asks first when the open
    // list has unsaved changes; a list that cannot be read changes nothing.
    bool openTextureListFile(const QString& fileName);
    bool saveTextureListFile(const QString& fileName);
    // "Save changes to NAME?" for the texture list, as maybeSave() asks for the map.
    bool maybeSaveTextureList();
    // "Load Textures": every texture of the list from the browser's images; refused, with the
    // textures in use kept, when one is missing or cannot be loaded.
    bool loadTextures();
    // Start-up: opens `list`, reads `bundles` into the browser and then loads the textures.
    void openTexturesAtStart(const QString& list, const QString& bundles);
    // The current-box thumbnail follows the box value of the texture brush (`EditX18`).
    void EditX18FloatFunc(double value);
    TextureListDocument& textureList() { return *textureList_; }
    // The table of the loaded boxes (positions in textureNameList(), as the 3DS export reads
    // them) and the names; empty before the first load.
    const TTextureList& textureTable() const;
    const std::vector<std::string>& textureNameList() const;
    bool texturesLoaded() const;
    const QImage& boxOverview() const;
    TTexturePage* texturePage() const { return TexturePage_; }
    TFormXom* formXom() const { return FormXom_; }
    TFormShowBox* formShowBox() const { return FormShowBox_; }

    // What the view's handlers call for the brush modes (the cell brushes' clicks, the height
    // snapshot after a heightmap pick, the layers table after a layers-mode drag); unset hooks
    // do nothing.
    struct BrushHooks {
        std::function<void(int x, int y)> FillClick;
        std::function<void(int x, int y)> EraseClick;
        std::function<void(int x, int y)> GetClick;
        std::function<void()> SnapshotHeights;
        std::function<void()> RefreshLayersVals;
    };
    BrushHooks& brushHooks() { return brushHooks_; }
    // The object drag in progress (Active false between drags).
    const ObjectDrag& objectDrag() const { return drag_; }
    int Restriction() const { return Restriction_; }

public slots:
    void Openxom1Click();
    void Newmap1Click();
    void ImportMap1Click();
    void ImportObjects1Click();
    void Savemapas1Click();
    void Exit1Click();
    void About1Click();
    void Help2Click();
    void Button1Click();
    void TreeView1Change();
    void TreeView3Change();
    void TreeView1ContextPopup(const QPoint& pos);
    void Collupse1Click();
    void Expand1Click();
    void Delete1Click();
    void DeletePoxelsClick();
    void AddDummyPoxel1Click();
    void AddPoxel1Click();
    void AddEmitter1Click();
    void GroupPoxels1Click();
    void GetIDPoxel1Click();
    void ShowParentClick();
    void ShowChildClick();
    void ToolButton1Click(QToolButton* sender);
    void ToolButton6Click();
    void ToolButton11Click();
    void ToolButton13Click(QToolButton* sender);
    void Style1Click();
    void ButOpenTextClick();
    void SaveTexturesList1Click();
    void ButLoadTexturClick();
    void ButTexturesViewClick();
    void ShowBoxClick();
    // A double click on row `row` of the cell code table (row 1 = cell 0) with the cell brush
    // that is down: fill or erase that cell as one undo step, or get its code into the brush.
    void TextCodeTabDblClick(int row);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // MainForm.cpp
    void buildMenus();
    void buildEditMenu();
    void buildTreeMenus();
    void buildToolBar();
    void buildPages();
    void buildStatusBar();
    void registerTexts();
    void setStatus(int panel, const QString& text);
    void repaintView();

    // MainForm_Documents.cpp
    void AddRecentFile(const QString& file, RecentKind kind);
    void UpdateRecentMenu(RecentKind kind);
    QString GetRecentFile(int menuIndex, RecentKind kind) const;
    void reportError(const QString& key, const QString& detail = {});
    void showDocument(TPoxel* root, const QString& statusKey);
    // Builds the meshes of the subtree that the current context has none of (all of them
    // when `all`).
    void buildMeshes(TPoxel& root, bool all = false);
    void updateTitle(const QString& fileName);
    bool saveEditedMap(const QString& fileName);
    // The save dialog; `kestrelFilter` tells whether the "Brimlow 4 map" filter was chosen.
    QString chooseSaveFile(bool* kestrelFilter);
    void updateUndoActions();
    // "Save changes to NAME?": QMessageBox::Save, Discard or Cancel.
    int askSaveChanges(const QString& name);

    // MainForm_View.cpp
    void connectView();
    void OpenGLBoxMouseDown(QMouseEvent* event);
    void OpenGLBoxMouseMove(QMouseEvent* event);
    void OpenGLBoxMouseUp(QMouseEvent* event);
    void OpenGLBoxKeyDown(QKeyEvent* event);
    void OpenGLBoxWheel(int steps);
    void OpenGLBoxGlReady();
    void OpenGLBoxClick();
    void connectSwitches();
    QString cameraStatusText(int code, bool dragging) const;
    void updateGizmo();
    void updateToolEnabling();
    void setRestriction(int restriction);
    void rememberCursor(const QPoint& screenPos);
    // The hover of the select, object and brush modes at `local`: picks, sets the interaction
    // code, the hover restriction and the status text.
    void hoverPick(const QPoint& local);
    // A button of the brush panels by its name, or nullptr while there is none.
    QAbstractButton* modeButton(const char* name) const;
    bool modeDown(const char* name) const;

    // MainForm_Drag.cpp
    void connectDrag();
    DragView currentDragView() const;
    void beginObjectDrag(DragKind kind, const QPoint& local);
    void objectDragStep(const QPoint& local, Qt::KeyboardModifiers modifiers);
    void finishObjectDrag();
    void cancelObjectDrag();
    QString dragStatusText() const;

    // MainForm_Tree.cpp
    void connectDocument();
    void connectTrees();
    void fillTree(QTreeWidget* tree, TPoxel& root);
    void selectInTree(TPoxel* node);
    void onTreeSelection(QTreeWidget* tree, bool importMap);
    // Selects `node` of the edited map in the tree and runs the selection as a click would.
    void selectTreeNode(TPoxel* node);
    void showSelectionLabel(TPoxel* node);
    void onNodeInserted(TPoxel* parent, TPoxel* node);
    void onNodeAboutToBeRemoved(TPoxel* parent, TPoxel* node);
    void onNodeChanged(TPoxel* node, NodeChanges what);
    void onDocumentAboutToBeReplaced();
    void onDocumentReplaced();
    bool treeAcceptsDrop(QTreeWidget* source, QTreeWidgetItem* target) const;
    void treeDropped(QTreeWidget* source, QTreeWidgetItem* target);

    // MainForm_Properties.cpp
    void connectProperties();
    // Fills the property page from the selected node of the shown document.
    void showProperties();

    // MainForm_Textures.cpp
    void connectTextures();
    void updateTextureCommands();
    void releaseTextures();
    void swatchDropped(int swatch);
    // Puts the swatches and the thumbnail into the property page's panels.
    void placeTextureControls();

    // Documents and state.
    MapDocument* doc_ = nullptr;
    bool importMapActive_ = false;
    SceneState scene_;
    TPickArray heightPicks_;
    TLPickArray layerPicks_;
    RecentList recentMaps_;
    RecentList recentTextureLists_;
    Dialogs dialogs_;
    bool fillingTree_ = false;
    TextureListDocument* textureList_ = nullptr;
    std::unique_ptr<TextureGlState> textures_;

    // Tool state.
    QToolButton* CurrentTool_ = nullptr;
    QToolButton* PreviousTool_ = nullptr;
    int SavedCursor_ = 0;
    int Restriction_ = 0;
    uint32_t HoverId_ = 0;
    QPoint LastCursorPos_;
    // The position of the last hover pick, and whether anything has changed what lies under
    // it since (a press then picks again before it acts).
    QPoint hoverPos_;
    bool hoverStale_ = true;
    ObjectDrag drag_;
    bool applyingDrag_ = false;
    BrushHooks brushHooks_;

public:
    // Controls, by designer name.
    TOpenGLBox* OpenGLBox_ = nullptr;
    QToolBar* ToolBar1 = nullptr;
    std::array<QToolButton*, 16> toolButtons_{};
    QToolButton* ToolButton6 = nullptr;
    QToolButton* ToolButton11 = nullptr;
    QToolButton* ToolButton8 = nullptr;
    QToolButton* ToolButton9 = nullptr;
    QToolButton* ToolButton10 = nullptr;
    QToolButton* ToolButton3 = nullptr;
    QToolButton* ToolButton13 = nullptr;
    std::array<QToolButton*, 6> restrictButtons_{};

    QMenu* File1 = nullptr;
    QMenu* Edit1 = nullptr;
    QAction* Undo1 = nullptr;
    QAction* Redo1 = nullptr;
    QMenu* View1 = nullptr;
    QMenu* Options1 = nullptr;
    QMenu* Help1 = nullptr;
    QMenu* Reopen1 = nullptr;
    std::array<QAction*, 13> reopenItems_{};
    QAction* Openxom1 = nullptr;
    QAction* Newmap1 = nullptr;
    QAction* OpenTextures1 = nullptr;
    QAction* OpenHeightmap1 = nullptr;
    QAction* CloseHeightmap1 = nullptr;
    QAction* ImportObjects1 = nullptr;
    QAction* ImportMap1 = nullptr;
    QAction* Import3ds1 = nullptr;
    QAction* Export3ds1 = nullptr;
    QAction* ImportHeightmap1 = nullptr;
    QAction* Savemapas1 = nullptr;
    QAction* SaveTexturesList1 = nullptr;
    QAction* SaveHeightmap1 = nullptr;
    QAction* Exit1 = nullptr;
    QAction* ShowGrid1 = nullptr;
    QAction* Show3DModel1 = nullptr;
    QAction* Wireframe1 = nullptr;
    QAction* extures1 = nullptr;
    QAction* ShowEmmiters1 = nullptr;
    QAction* KestrelEmitters1 = nullptr;
    QAction* HideName1 = nullptr;
    QAction* DrawPoint = nullptr;
    QAction* Water1 = nullptr;
    QAction* BoxMode1 = nullptr;
    QAction* CullFace1 = nullptr;
    QAction* Style1 = nullptr;
    TLanguageMenu* SelectLanguage1 = nullptr;
    QAction* Help2 = nullptr;
    QAction* About1 = nullptr;

    QTabWidget* PageControl2 = nullptr; // Map Tree, Edit Mode, Textures
    QTabWidget* PageControl1 = nullptr; // Properties, Import Object, Import Map
    TPoxelTree* TreeView1 = nullptr;
    QTreeWidget* TreeView2 = nullptr;
    QTreeWidget* TreeView3 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* SelectLabel = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* ShowChild = nullptr;
    QPushButton* ShowParent = nullptr;
    QScrollArea* ScrollBox1 = nullptr;
    TPropertiesPage* PropertiesPage = nullptr; // ScrollBox1's page of property panels
    std::array<QLabel*, 3> statusPanels_{};
    TTexturePage* TexturePage_ = nullptr;
    TFormXom* FormXom_ = nullptr;
    TFormShowBox* FormShowBox_ = nullptr;
    // The heightmap swatches and the current-box thumbnail, made here and placed into the
    // property panels ("Height Map Texture", "Poxel Texture").
    TTextureSwatch* Text1Paint = nullptr;
    TTextureSwatch* Text2Paint = nullptr;
    TBoxThumbnail* PaintCurText = nullptr;

    // The map tree's context menus.
    QMenu* TreeMenu = nullptr;
    QAction* Collupse1 = nullptr;
    QAction* Expand1 = nullptr;
    QAction* Delete1 = nullptr;
    QAction* AddDummyPoxel1 = nullptr;
    QAction* AddPoxel1 = nullptr;
    QAction* AddEmitter1 = nullptr;
    QAction* Replacer1 = nullptr;
    QAction* GetIDPoxel1 = nullptr;
    QAction* VoxelSize = nullptr;
    QAction* MakeHmap1 = nullptr;
    QMenu* TreeMenuGroup = nullptr;
    QAction* Npoxelsselected1 = nullptr;
    QAction* DeletePoxels = nullptr;
    QAction* GroupPoxels1 = nullptr;

private:
    std::unique_ptr<TreeWidgetSink> sink1_;
    std::unique_ptr<TreeWidgetSink> sink3_;
    TStyleEditForm* styleForm_ = nullptr;
};

} // namespace lw
