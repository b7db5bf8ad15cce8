#pragma once
// The editor's main window: menu, vertical tool bar, 3D view, the two page controls and the
// status bar, the documents it holds and the commands that open, create, import and save them.
// The implementation is split by concern: MainForm.cpp (building the window, settings),
// MainForm_Documents.cpp (file and help commands), MainForm_View.cpp (view switches and the
// view's input handed to the tools), MainForm_Tools.cpp (the tool bar and brush buttons
// mirroring the tool model, what the tools ask of the window), MainForm_Brushes.cpp (the brush
// settings and meshes), MainForm_Tree.cpp (tree views and selection), MainForm_Textures.cpp
// (texture lists, the texture browser and the loaded textures), MainForm_Editing.cpp (Save
// in place, the node clipboard, Delete, the history page, the map tree's filter, Help) and
// MainForm_Layout.cpp (the layout kept across sessions). The tools themselves are headless
// (editor/tools).

#include "core/Poxel.h"
#include "editor/Brushes.h"
#include "editor/Documents.h"
#include "editor/MapDocument.h"
#include "editor/Recovery.h"
#include "io/HeightmapFile.h"
#include "io/Model3ds.h"
#include "render/SceneState.h"
#include "render/TextureList.h"

#include <QMainWindow>
#include <QPoint>

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QFileSystemWatcher;
class QAction;
class QLineEdit;
class QSplitter;
class QImage;
class QLabel;
class QMenu;
class QPushButton;
class QScrollArea;
class QTabWidget;
class QTimer;
class QToolBar;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;
class QDragEnterEvent;
class QDragMoveEvent;
class QDropEvent;
class QUrl;

namespace lw {

class TOpenGLBox;
class TLanguageMenu;
class TStyleEditForm;
class TreeWidgetSink;
class TPoxelTree;
class TReplacer;
class TPropertiesPage;
class Autosaver;
class TImport3DModel;
class TExport3DModel;
class TImportHMForm;
struct ExportTextures;
class TextureListDocument;
class TTexturePage;
class TFormXom;
class TFormShowBox;
class TTextureSwatch;
class TBoxThumbnail;
struct TextureGlState;
class ToolModel;
class ToolController;
class THistoryPage;
class THelpWindow;
class MapTreeFilter;

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
        // "Recover unsaved changes to NAME from TIME?": Recover, Discard or Later.
        std::function<RecoveryAnswer(QWidget*, const QString& title, const QString& text)>
            askRecover;
        // "NAME was changed by another program. Load it again?": true for Reload, false for
        // Keep Mine.
        std::function<bool(QWidget*, const QString& title, const QString& text)> askReload;
        // "... Overwrite it?" before a save over a file another program changed: true for
        // Overwrite.
        std::function<bool(QWidget*, const QString& title, const QString& text)> askOverwrite;
        // A warning that needs no answer (the map's file was deleted).
        std::function<void(QWidget*, const QString& title, const QString& text)> warn;
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
    // "Save Map": the edited map to its own file, without a dialog; a map without a file of
    // its own (new, recovered without one) or another map shown goes through "Save Map as...".
    bool saveMap();
    // "Save changes to NAME?" when the edited map is modified: true when the caller may go on
    // (saved or discarded), false when the user cancelled or the save failed.
    bool maybeSave();
    // Lists the land library `fileName` into TreeView2.
    bool importObjectsFile(const QString& land, const QString& fileName);
    // Selects the node with `listId` as a click in the view does.
    void selectById(int32_t listId);

    // Autosave and recovery (MainForm_Recovery.cpp). At start-up, once the window is shown:
    // offers back the recovery copies that sessions which crashed or were killed left behind,
    // newest first, until one is recovered. Returns true when a map was recovered.
    bool offerRecovery();
    Autosaver& autosaver() { return *autosaver_; }
    // Where recovery copies go (tests point it at a folder of their own).
    void setRecoveryFolder(const QString& folder);
    // The map named on the command line. After a recovery it waits until the recovered work is
    // saved (it is not opened at all when it is the recovered map itself): the question the
    // open would ask must not throw away what was just recovered.
    void openMapAtStart(const QString& fileName, bool recovered);
    // The map that opens once the recovered work is saved; empty when none waits.
    const QString& mapWaitingForRecovery() const { return pendingOpen_; }

    // Another program and the map's file (MainForm_Watch.cpp): the open map's file is watched;
    // a change is told at once with the choice to load it again, a deletion is reported, and a
    // save over a file changed since asks first. Runs the check the watcher runs, at once.
    void checkMapOnDisk();

    // Files dropped onto the window (MainForm_Drops.cpp): maps, texture lists, 3DS models and
    // heightmap files, each to its command; anything else is refused with a message.
    bool openDroppedUrls(const QList<QUrl>& urls);
    bool openDroppedFile(const QString& fileName);
    // The 3DS import dialog with `fileName`.
    bool import3dsFile(const QString& fileName);
    // `fileName` as the heightmap preview.
    bool openHeightmapFile(const QString& fileName);

    // The tools of the view: their state (the tool bar and the brush buttons mirror it) and
    // the controller the view's input goes to.
    ToolModel& tools() { return *tools_; }
    ToolController& toolController() { return *controller_; }
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

    // Import and export (MainForm_ImportExport.cpp). Bad files are reported naming the file
    // and the reason, and change nothing. openHeightmapFile() and import3dsFile() are above.
    bool saveHeightmapFile(const QString& chosen);
    void closeHeightmap();
    // "Make Hmap": the preview from the depth of `node` seen from above.
    bool makeHeightmapOf(TPoxel& node);
    // "Import Height map...": the terrain group, one undo step; nullptr on a bad file.
    TPoxel* importHeightmapFile(const QString& fileName);
    const HeightmapPreview& heightmapPreview() const { return heightmap_; }
    // Whether the last 3DS model read is drawn as a wireframe (View > Show 3D Model aside).
    bool importedModelShown() const { return importModel_ && importModelShown_; }
    // Run once the import dialog is up (tests drive it from here).
    std::function<void(TImport3DModel&)> importDialogHook;
    std::function<void(TExport3DModel&)> exportDialogHook;
    std::function<void(TImportHMForm&)> pictureDialogHook;
    // "Import HMap" of the Height Map panel: the selected poxel's heights from a picture, one
    // undo step; false when nothing was applied.
    bool importHeightsFromPicture();
    // The loaded textures for a textured 3DS export; unset (or null) exports untextured.
    std::function<const ExportTextures*()> exportTextures;

    // Everyday editing (MainForm_Editing.cpp). The nodes Copy takes: the map tree's selection
    // while the edited map is shown, else the node selected in the map shown.
    std::vector<TPoxel*> copySelection() const;
    // The map tree's selected nodes in the order they were selected.
    std::vector<TPoxel*> treeSelection() const;
    // The help window, made on first use.
    THelpWindow* helpWindow();
    MapTreeFilter* treeFilter() const { return treeFilter_; }
    // The window's size, place, splitters, pages and collapsed panels, kept in the settings
    // (MainForm_Layout.cpp). Saved when the window closes; restored by LoadSettings().
    void saveWindowLayout();
    void restoreWindowLayout();

public slots:
    void Openxom1Click();
    void Newmap1Click();
    void ImportMap1Click();
    void ImportObjects1Click();
    void Savemapas1Click();
    void Savemap1Click();
    void SaveTextures1Click();
    void Cut1Click();
    void Copy1Click();
    void Paste1Click();
    void Duplicate1Click();
    // The Delete key on the map tree or the view: Delete Poxel or Delete Poxels.
    void DeleteKeyClick();
    void Find1Click();
    void History1Click();
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
    void Replacer1Click();
    void ShowParentClick();
    void ShowChildClick();
    void Style1Click();
    void Import3ds1Click();
    void Exportto3ds1Click();
    void ImportHmapClick();
    void ExportHmapClick();
    void ImportImageClick();
    void ExportImageClick();
    void OpenHeightmap1Click();
    void SaveHeightmap1Click();
    void CloseHeightmap1Click();
    void MakeHmap1Click();
    void ImportHeightmap1Click();
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
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

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
    // reportError for a refusal of the node clipboard commands (its key and detail).
    void reportEditError(const Error& error);
    void showDocument(TPoxel* root, const QString& statusKey);
    // Builds the meshes of the subtree that the current context has none of (all of them
    // when `all`).
    void buildMeshes(TPoxel& root, bool all = false);
    void updateTitle(const QString& fileName);
    bool saveEditedMap(const QString& fileName);
    // Reads `fileName` as the edited map without asking about unsaved changes.
    bool loadMapFile(const QString& fileName);
    // The save dialog; `kestrelFilter` tells whether the "Brimlow 4 map" filter was chosen.
    QString chooseSaveFile(bool* kestrelFilter);
    void updateUndoActions();
    // "Save changes to NAME?": QMessageBox::Save, Discard or Cancel.
    int askSaveChanges(const QString& name);

    // MainForm_Editing.cpp
    void buildEditingActions();
    void connectEditing();
    void registerEditingTexts();
    // Cut, Copy, Paste, Duplicate and Delete follow the selection and the clipboard.
    void updateEditActions();
    bool clipboardHoldsNodes();
    // Ctrl+D and Ctrl+F while the map tree or its filter has the focus.
    bool treeKey(QObject* watched, QEvent* event);
    void registerHelpPictures(THelpWindow& help);

    // MainForm_Recovery.cpp
    void setupAutosave();
    // An error box with a text of its own (reportError takes a language key).
    void reportErrorText(const QString& text);
    // A warning box: something was done, but not all of it.
    void reportWarning(const QString& text);

    // MainForm_View.cpp
    void connectView();
    void OpenGLBoxGlReady();
    void connectSwitches();

    // MainForm_Tools.cpp
    class ToolHostImpl;
    void createTools();
    void connectToolButtons();
    // The tool bar, the brush buttons and the menus show the tool model's state.
    void mirrorTools();
    // The model learns what is selected now (its enabling follows).
    void updateToolEnabling();
    // The selected node as the property page shows it (the heightmap preview too).
    TPoxel* shownSelection() const;

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

    // MainForm_ImportExport.cpp
    void connectImportExport();
    QString chooseOpenFile(const QString& filter);
    QString chooseSaveFileFor(const QString& filter);
    void setHeightmapPreview(HeightmapPreview preview);
    void runPictureDialog(TImportHMForm& dialog);
    void showMaskImage();

    // MainForm_Properties.cpp
    void connectProperties();
    // Fills the property page from the selected node of the shown document.
    void showProperties();

    // MainForm_Brushes.cpp
    void connectBrushes();
    void SpeedButton1Click();
    void DrawPointClick();
    void HmRadEditFloatFunc(double radius);
    void LayersLenFloatFunc(double softLen);
    // The poxel the brushes work in: the selected poxel of the edited map when it has cells.
    TPoxel* brushPoxel() const;
    // Builds the node's meshes, with the points of empty cells while the fill brush shows them.
    void rebuildMesh(TPoxel& node, bool points);
    void brushNodeChanged(TPoxel* node, NodeChanges what);
    // The fill brush's points follow the brush, "Show Points" and the selection.
    void updateShownPoints();
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
    RecentList recentMaps_;
    RecentList recentTextureLists_;
    Dialogs dialogs_;
    bool fillingTree_ = false;
    TextureListDocument* textureList_ = nullptr;
    std::unique_ptr<TextureGlState> textures_;

    // The tools (MainForm_Tools.cpp).
    struct ToolHostDeleter {
        void operator()(ToolHostImpl* host) const;
    };
    ToolModel* tools_ = nullptr;
    std::unique_ptr<ToolHostImpl, ToolHostDeleter> toolHost_;
    std::unique_ptr<ToolController> controller_;
    // The node whose lists hold the points of empty cells ("Show Points").
    TPoxel* pointsNode_ = nullptr;

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
    QAction* Cut1 = nullptr;
    QAction* Copy1 = nullptr;
    QAction* Paste1 = nullptr;
    QAction* Duplicate1 = nullptr;
    QAction* DeleteKey1 = nullptr;
    QAction* Find1 = nullptr;
    QAction* History1 = nullptr; // View menu
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
    QAction* Savemap1 = nullptr;
    QAction* Savemapas1 = nullptr;
    QAction* SaveTextures1 = nullptr;
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
    QLineEdit* TreeFilter = nullptr; // above the map tree
    THistoryPage* HistoryPage = nullptr;
    QSplitter* MainSplitter = nullptr; // the view beside the pages
    QSplitter* SidePanel = nullptr;    // the two page controls
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
    // Repaints the view while a model is imported.
    QTimer* ProcessTimer = nullptr;

private:
    // The heightmap preview (not part of the map) and the last 3DS model read.
    HeightmapPreview heightmap_;
    std::shared_ptr<const TObjArray3D> importModel_;
    bool importModelShown_ = false;
    // The group the last model import put into the map: its wireframe shows while it is there.
    TPoxel* importGroup_ = nullptr;
    bool importProcessing_ = false;
    std::unique_ptr<TreeWidgetSink> sink1_;
    std::unique_ptr<TreeWidgetSink> sink3_;
    TStyleEditForm* styleForm_ = nullptr;
    std::unique_ptr<Autosaver> autosaver_;
    QString pendingOpen_;

    // MainForm_Watch.cpp
    void setupDiskWatch();
    // Watches the edited map's file (again: a file replaced by a save is a new file).
    void watchMapFile();
    // Before a save over the map's own file: true when it may go on (the file is as it was,
    // or the user chose to overwrite another program's changes).
    bool mayOverwriteMapFile(const QString& fileName);
    QFileSystemWatcher* diskWatcher_ = nullptr;
    QTimer* diskCheckTimer_ = nullptr;
    bool diskQuestionOpen_ = false;
    // The version of the file the user was last asked about, so one change is told once.
    FileStamp toldDiskStamp_;
    bool toldDeleted_ = false;

public:
    // The find-and-replace window, made on first use (MainForm_Replace.cpp).
    TReplacer* replacer();

private:
    TReplacer* replacer_ = nullptr;
    MapTreeFilter* treeFilter_ = nullptr;
    THelpWindow* help_ = nullptr;
    // Whether the clipboard holds nodes; asked again after the clipboard changed.
    int clipboardNodes_ = -1;
};

} // namespace lw
