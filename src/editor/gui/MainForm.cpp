// Building the main window: menu, tool bar, view, page controls, status bar and their texts.

#include "editor/gui/MainForm.h"

#include "editor/Autosaver.h"
#include "editor/gui/AboutForm.h"
#include "editor/gui/PoxelTree.h"
#include "editor/gui/PropertiesPage.h"
#include "editor/gui/TextureGlState.h"
#include "editor/gui/ToolIcons.h"
#include "editor/gui/TreeWidgetSink.h"
#include "editor/tools/ToolController.h"
#include "render/gui/OpenGLBox.h"
#include "textures/TextureListDocument.h"
#include "textures/gui/TexturePage.h"
#include "ui/Language.h"
#include "ui/Settings.h"
#include "ui/Style.h"
#include "ui/Version.h"
#include "ui/gui/ErrorBox.h"
#include "ui/gui/LangBind.h"
#include "ui/gui/LanguageMenu.h"
#include "ui/gui/StyleEditForm.h"
#include "ui/gui/StylePaint.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace lw {

namespace {

// Tool bar buttons in bar order: designer name, hint key, picture (toolbar/NAME.svg).
struct ToolDef {
    const char* name;
    const char* hintKey;
    const char* picture;
    const char* key; // the key that chooses it in the view, or nullptr
};
constexpr ToolDef kTools[16] = {
    {"ToolButton1", "[tlZoom]", "zoom", nullptr},
    {"ToolButton2", "[tlPan]", "pan", nullptr},
    {"ToolButton3", "[tlRotateM]", "orbit", nullptr},
    {"ToolButton4", "[tlPerspective]", "perspective", nullptr},
    {"ToolButton5", "[tlDolly]", "dolly", nullptr},
    {"ToolButton6", "[tlZoomSelected]", "zoom-selected", "C"},
    {"ToolButton11", "[tlSelect]", "select", "Q"},
    {"ToolButton8", "[tlMove]", "move", "W"},
    {"ToolButton9", "[tlRotate]", "rotate", "E"},
    {"ToolButton10", "[tlScale]", "scale", "R"},
    {"ToolButton13", "[tlRestrictX]", "restrict-x", nullptr},
    {"ToolButton14", "[tlRestrictY]", "restrict-y", nullptr},
    {"ToolButton15", "[tlRestrictZ]", "restrict-z", nullptr},
    {"ToolButton16", "[tlRestrictXY]", "restrict-xy", nullptr},
    {"ToolButton17", "[tlRestrictYZ]", "restrict-yz", nullptr},
    {"ToolButton18", "[tlRestrictZX]", "restrict-zx", nullptr},
};

// The hint of a tool button names the key that chooses the tool in the view ("Move (W)"); the
// button's accessible name is the hint alone.
void bindToolHint(LangRegistry& r, const QString& key, QToolButton* button, const char* shortcut) {
    r.add(key, button, [button, shortcut](const QString& text) {
        button->setToolTip(shortcut ? withKeyName(text, shortcut) : text);
        button->setAccessibleName(text);
    });
}

QAction* addNamedAction(QMenu* menu, const char* name, const QKeySequence& shortcut = {}) {
    auto* action = menu->addAction(QString());
    action->setObjectName(QString::fromLatin1(name));
    if (!shortcut.isEmpty())
        action->setShortcut(shortcut);
    return action;
}

QTreeWidget* makeTree(const char* name, QWidget* parent) {
    auto* tree = new QTreeWidget(parent);
    tree->setObjectName(QString::fromLatin1(name));
    tree->setHeaderHidden(true);
    tree->setIndentation(19);
    return tree;
}

} // namespace

TMainForm::TMainForm(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QString::fromLatin1(kAppTitle));
    resize(1100, 760);

    OpenGLBox_ = new TOpenGLBox(scene_, this);
    OpenGLBox_->setObjectName(QStringLiteral("OpenGLBox"));
    scene_.NameWidth = [this](const std::string& name) {
        return OpenGLBox_->fontMetrics().horizontalAdvance(QString::fromLatin1(name)) / 2;
    };

    buildMenus();
    buildToolBar();
    buildPages();
    buildStatusBar();

    SidePanel = new QSplitter(Qt::Vertical, this);
    SidePanel->setObjectName(QStringLiteral("SidePanel"));
    SidePanel->addWidget(PageControl2);
    SidePanel->addWidget(PageControl1);
    SidePanel->setStretchFactor(0, 1);
    SidePanel->setStretchFactor(1, 1);
    MainSplitter = new QSplitter(Qt::Horizontal, this);
    MainSplitter->setObjectName(QStringLiteral("MainSplitter"));
    MainSplitter->addWidget(OpenGLBox_);
    MainSplitter->addWidget(SidePanel);
    MainSplitter->setStretchFactor(0, 3);
    MainSplitter->setStretchFactor(1, 1);
    MainSplitter->setSizes({780, 300});
    setCentralWidget(MainSplitter);

    sink1_ = std::make_unique<TreeWidgetSink>(TreeView1);
    sink3_ = std::make_unique<TreeWidgetSink>(TreeView3);

    // Errors keep the file paths in them whole (tests and embedders replace the box).
    dialogs_.error = showErrorBox;
    // A new empty map, the select tool down, nothing selected.
    doc_ = new MapDocument(this);
    fillTree(TreeView1, *doc_->root());
    scene_.EditRoot = scene_.ShownRoot = doc_->root();
    scene_.SelectedId = 0;
    // The tools follow the document before the window's views do.
    createTools();
    connectDocument();
    connectProperties();
    connectBrushes();
    connectTrees();
    buildTreeMenus();
    connectEditing();
    connectImportExport();
    updateTitle(QString());
    connectView();
    connectTextures();
    registerTexts();
    setupAutosave();
    setupDiskWatch();
    setAcceptDrops(true);
}

TMainForm::~TMainForm() {
    // A clean end: the recovery copies go, before the map they belong to.
    autosaver_.reset();
    // The tools let go of the document before it goes.
    controller_.reset();
    // Nodes release their GPU meshes through the view's context.
    disconnect(doc_, nullptr, this, nullptr);
    disconnect(OpenGLBox_, nullptr, this, nullptr);
    if (OpenGLBox_->glReady())
        OpenGLBox_->withContext([this] {
            releaseTextures();
            delete doc_;
        });
    else
        delete doc_;
    doc_ = nullptr;
}

void TMainForm::buildMenus() {
    QMenuBar* bar = menuBar();
    File1 = bar->addMenu(QString());
    File1->setObjectName(QStringLiteral("File1"));
    Openxom1 = addNamedAction(File1, "Openxom1", QKeySequence(Qt::CTRL | Qt::Key_O));
    Newmap1 = addNamedAction(File1, "Newmap1");
    Reopen1 = File1->addMenu(QString());
    Reopen1->setObjectName(QStringLiteral("Reopen1"));
    for (int i = 0; i < 13; ++i) {
        QAction* item = Reopen1->addAction(QString());
        reopenItems_[static_cast<size_t>(i)] = item;
        if (i == 6) {
            item->setSeparator(true);
            continue;
        }
        item->setEnabled(false);
        if (i == 0 || i == 7)
            continue;
        const bool map = i < 6;
        const int number = map ? i : i - 7;
        item->setObjectName(map ? QStringLiteral("ReopenMap%1").arg(number)
                                : QStringLiteral("N%1").arg(number) + QLatin1Char('2'));
        item->setText(recentPlaceholder(number));
        if (map)
            connect(item, &QAction::triggered, this, [this, i] {
                const QString file = GetRecentFile(i, RecentKind::Maps);
                if (!file.isEmpty())
                    openMapFile(file);
            });
    }
    File1->addSeparator();
    OpenTextures1 = addNamedAction(File1, "OpenTextures1");
    OpenHeightmap1 = addNamedAction(File1, "OpenHeightmap1");
    CloseHeightmap1 = addNamedAction(File1, "CloseHeightmap1");
    File1->addSeparator();
    ImportObjects1 = addNamedAction(File1, "ImportObjects1", QKeySequence(Qt::CTRL | Qt::Key_L));
    ImportMap1 = addNamedAction(File1, "ImportMap1", QKeySequence(Qt::CTRL | Qt::Key_I));
    Import3ds1 = addNamedAction(File1, "Import3ds1");
    Export3ds1 = addNamedAction(File1, "Export3ds1");
    ImportHeightmap1 = addNamedAction(File1, "ImportHeightmap1");
    File1->addSeparator();
    Savemap1 = addNamedAction(File1, "Savemap1", QKeySequence(Qt::CTRL | Qt::Key_S));
    Savemapas1 =
        addNamedAction(File1, "Savemapas1", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    SaveTextures1 = addNamedAction(File1, "SaveTextures1");
    SaveTexturesList1 = addNamedAction(File1, "SaveTexturesList1");
    SaveHeightmap1 = addNamedAction(File1, "SaveHeightmap1");
    File1->addSeparator();
    Exit1 = addNamedAction(File1, "Exit1", QKeySequence(Qt::ALT | Qt::Key_F4));
    // Present, enabled by their commands (MainForm_ImportExport.cpp wires the 3DS and
    // heightmap ones, MainForm_Textures.cpp the texture lists).
    for (QAction* later : {OpenHeightmap1, CloseHeightmap1, Import3ds1, Export3ds1,
                           ImportHeightmap1, SaveTextures1, SaveTexturesList1, SaveHeightmap1})
        later->setEnabled(false);
    connect(Openxom1, &QAction::triggered, this, &TMainForm::Openxom1Click);
    connect(Newmap1, &QAction::triggered, this, &TMainForm::Newmap1Click);
    connect(ImportObjects1, &QAction::triggered, this, &TMainForm::ImportObjects1Click);
    connect(ImportMap1, &QAction::triggered, this, &TMainForm::ImportMap1Click);
    connect(Savemap1, &QAction::triggered, this, &TMainForm::Savemap1Click);
    connect(Savemapas1, &QAction::triggered, this, &TMainForm::Savemapas1Click);
    connect(Exit1, &QAction::triggered, this, &TMainForm::Exit1Click);

    buildEditMenu();

    View1 = bar->addMenu(QString());
    View1->setObjectName(QStringLiteral("View1"));
    auto checkable = [](QAction* a, bool checked, bool enabled = true) {
        a->setCheckable(true);
        a->setChecked(checked);
        a->setEnabled(enabled);
        return a;
    };
    ShowGrid1 =
        checkable(addNamedAction(View1, "ShowGrid1", QKeySequence(Qt::CTRL | Qt::Key_G)), true);
    Show3DModel1 = checkable(addNamedAction(View1, "Show3DModel1"), false, false);
    Wireframe1 =
        checkable(addNamedAction(View1, "Wireframe1", QKeySequence(Qt::CTRL | Qt::Key_W)), true);
    extures1 = checkable(addNamedAction(View1, "extures1", QKeySequence(Qt::CTRL | Qt::Key_T)),
                         false, false);
    ShowEmmiters1 = checkable(
        addNamedAction(View1, "ShowEmmiters1", QKeySequence(Qt::CTRL | Qt::Key_D)), false);
    KestrelEmitters1 = checkable(addNamedAction(View1, "KestrelEmitters1"), false);
    HideName1 = checkable(addNamedAction(View1, "HideName1", QKeySequence(Qt::CTRL | Qt::Key_H)),
                          false, false);
    DrawPoint = checkable(addNamedAction(View1, "DrawPoint", QKeySequence(Qt::CTRL | Qt::Key_P)),
                          false, false);
    Water1 = checkable(addNamedAction(View1, "Water1"), false);
    View1->addSeparator();
    History1 = addNamedAction(View1, "History1");
    connect(History1, &QAction::triggered, this, &TMainForm::History1Click);

    Options1 = bar->addMenu(QString());
    Options1->setObjectName(QStringLiteral("Options1"));
    BoxMode1 =
        checkable(addNamedAction(Options1, "BoxMode1", QKeySequence(Qt::CTRL | Qt::Key_B)), false);
    CullFace1 =
        checkable(addNamedAction(Options1, "CullFace1", QKeySequence(Qt::CTRL | Qt::Key_F)), true);
    Options1->addSeparator();
    SelectLanguage1 = new TLanguageMenu(Options1);
    SelectLanguage1->setObjectName(QStringLiteral("SelectLanguage1"));
    Options1->addMenu(SelectLanguage1);
    Style1 = addNamedAction(Options1, "Style1");
    connect(Style1, &QAction::triggered, this, &TMainForm::Style1Click);

    Help1 = bar->addMenu(QString());
    Help1->setObjectName(QStringLiteral("Help1"));
    Help2 = addNamedAction(Help1, "Help2", QKeySequence(Qt::Key_F1));
    About1 = addNamedAction(Help1, "About1");
    connect(Help2, &QAction::triggered, this, &TMainForm::Help2Click);
    connect(About1, &QAction::triggered, this, &TMainForm::About1Click);
}

void TMainForm::buildEditMenu() {
    Edit1 = menuBar()->addMenu(QString());
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Undo1 = addNamedAction(Edit1, "Undo1");
    Undo1->setShortcuts(QKeySequence::Undo);
    Redo1 = addNamedAction(Edit1, "Redo1");
    Redo1->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    Undo1->setEnabled(false);
    Redo1->setEnabled(false);
    buildEditingActions();
}

void TMainForm::updateUndoActions() {
    QUndoStack* stack = doc_->undoStack();
    Undo1->setText(stepCaption("[mnuMainEditUndo]", stack->undoText()));
    Redo1->setText(stepCaption("[mnuMainEditRedo]", stack->redoText()));
    Undo1->setEnabled(stack->canUndo());
    Redo1->setEnabled(stack->canRedo());
}

void TMainForm::buildTreeMenus() {
    TreeMenu = new QMenu(this);
    TreeMenu->setObjectName(QStringLiteral("TreeMenu"));
    Collupse1 = addNamedAction(TreeMenu, "Collupse1");
    Expand1 = addNamedAction(TreeMenu, "Expand1");
    Delete1 = addNamedAction(TreeMenu, "Delete1");
    AddDummyPoxel1 = addNamedAction(TreeMenu, "AddDummyPoxel1");
    AddPoxel1 = addNamedAction(TreeMenu, "AddPoxel1");
    AddEmitter1 = addNamedAction(TreeMenu, "AddEmitter1");
    TreeMenu->addSeparator();
    Replacer1 = addNamedAction(TreeMenu, "Replacer1");
    GetIDPoxel1 = addNamedAction(TreeMenu, "GetIDPoxel1");
    VoxelSize = addNamedAction(TreeMenu, "VoxelSize");
    VoxelSize->setEnabled(false); // the information line
    TreeMenu->addSeparator();
    MakeHmap1 = addNamedAction(TreeMenu, "MakeHmap1");

    TreeMenuGroup = new QMenu(this);
    TreeMenuGroup->setObjectName(QStringLiteral("TreeMenuGroup"));
    Npoxelsselected1 = addNamedAction(TreeMenuGroup, "Npoxelsselected1");
    Npoxelsselected1->setEnabled(false);
    TreeMenuGroup->addSeparator();
    DeletePoxels = addNamedAction(TreeMenuGroup, "DeletePoxels");
    GroupPoxels1 = addNamedAction(TreeMenuGroup, "GroupPoxels1");

    connect(Collupse1, &QAction::triggered, this, &TMainForm::Collupse1Click);
    connect(Expand1, &QAction::triggered, this, &TMainForm::Expand1Click);
    connect(Delete1, &QAction::triggered, this, &TMainForm::Delete1Click);
    connect(AddDummyPoxel1, &QAction::triggered, this, &TMainForm::AddDummyPoxel1Click);
    connect(AddPoxel1, &QAction::triggered, this, &TMainForm::AddPoxel1Click);
    connect(AddEmitter1, &QAction::triggered, this, &TMainForm::AddEmitter1Click);
    connect(GetIDPoxel1, &QAction::triggered, this, &TMainForm::GetIDPoxel1Click);
    connect(Replacer1, &QAction::triggered, this, &TMainForm::Replacer1Click);
    connect(DeletePoxels, &QAction::triggered, this, &TMainForm::DeletePoxelsClick);
    connect(GroupPoxels1, &QAction::triggered, this, &TMainForm::GroupPoxels1Click);
}

void TMainForm::buildToolBar() {
    ToolBar1 = new QToolBar(this);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setOrientation(Qt::Vertical);
    ToolBar1->setMovable(false);
    ToolBar1->setIconSize(QSize(20, 20));
    addToolBar(Qt::LeftToolBarArea, ToolBar1);
    applyStyleSurface(ToolBar1, StyleSurface::ToolBar);
    for (int i = 0; i < 16; ++i) {
        auto* button = new QToolButton(ToolBar1);
        button->setObjectName(QString::fromLatin1(kTools[i].name));
        button->setIcon(toolBarIcon(QString::fromLatin1(kTools[i].picture), ToolBar1->iconSize()));
        button->setAutoRaise(true);
        button->setFixedSize(25, 24);
        button->setCheckable(i != 5);
        button->setMouseTracking(true);
        button->installEventFilter(this);
        applyStyleSurface(button, StyleSurface::ToolButton);
        ToolBar1->addWidget(button);
        toolButtons_[static_cast<size_t>(i)] = button;
        if (i == 5 || i == 9)
            ToolBar1->addSeparator();
    }
    ToolButton3 = toolButtons_[2];
    ToolButton6 = toolButtons_[5];
    ToolButton11 = toolButtons_[6];
    ToolButton8 = toolButtons_[7];
    ToolButton9 = toolButtons_[8];
    ToolButton10 = toolButtons_[9];
    ToolButton13 = toolButtons_[10];
    for (int i = 0; i < 6; ++i)
        restrictButtons_[static_cast<size_t>(i)] = toolButtons_[static_cast<size_t>(10 + i)];
    // The tool model drives them (MainForm_Tools.cpp).
}

void TMainForm::buildPages() {
    PageControl2 = new QTabWidget(this);
    PageControl2->setObjectName(QStringLiteral("PageControl2"));
    // Map Tree.
    auto* tabMap = new QWidget(PageControl2);
    tabMap->setObjectName(QStringLiteral("TabSheet4"));
    auto* mapLayout = new QVBoxLayout(tabMap);
    auto* selectRow = new QHBoxLayout;
    Label1 = new QLabel(tabMap);
    Label1->setObjectName(QStringLiteral("Label1"));
    SelectLabel = new QLabel(QStringLiteral("None"), tabMap);
    SelectLabel->setObjectName(QStringLiteral("SelectLabel"));
    selectRow->addWidget(Label1);
    selectRow->addWidget(SelectLabel, 1);
    mapLayout->addLayout(selectRow);
    TreeFilter = new QLineEdit(tabMap);
    TreeFilter->setObjectName(QStringLiteral("TreeFilter"));
    TreeFilter->setClearButtonEnabled(true);
    mapLayout->addWidget(TreeFilter);
    TreeView1 = new TPoxelTree(tabMap);
    TreeView1->setObjectName(QStringLiteral("TreeView1"));
    TreeView1->setHeaderHidden(true);
    TreeView1->setIndentation(19);
    mapLayout->addWidget(TreeView1);
    PageControl2->addTab(tabMap, QString());
    // Edit Mode.
    auto* tabEdit = new QWidget(PageControl2);
    tabEdit->setObjectName(QStringLiteral("TabSheet5"));
    auto* editLayout = new QVBoxLayout(tabEdit);
    auto makeButton = [](QWidget* parent, const char* name, bool checkable, bool enabled) {
        auto* b = new QPushButton(parent);
        b->setObjectName(QString::fromLatin1(name));
        b->setCheckable(checkable);
        b->setEnabled(enabled);
        return b;
    };
    auto* modeRow = new QHBoxLayout;
    for (const char* name : {"ButGeneralEdit", "ButLayersEdit", "ButHMapEdit", "ButPoxelEdit"})
        modeRow->addWidget(makeButton(tabEdit, name, true, false));
    editLayout->addLayout(modeRow);
    auto* hideRow = new QHBoxLayout;
    ShowChild = makeButton(tabEdit, "ShowChild", true, false);
    ShowParent = makeButton(tabEdit, "ShowParent", true, true);
    hideRow->addWidget(ShowParent);
    hideRow->addWidget(ShowChild);
    editLayout->addLayout(hideRow);
    editLayout->addStretch(1);
    connect(ShowParent, &QPushButton::clicked, this, &TMainForm::ShowParentClick);
    connect(ShowChild, &QPushButton::clicked, this, &TMainForm::ShowChildClick);
    PageControl2->addTab(tabEdit, QString());
    // Textures: the page of the texture list (MainForm_Textures.cpp wires it).
    textureList_ = new TextureListDocument(this);
    TexturePage_ = new TTexturePage(*textureList_, PageControl2);
    PageControl2->addTab(TexturePage_, QString());

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    // Properties: the page of panels comes with the document (connectProperties).
    auto* tabProps = new QWidget(PageControl1);
    tabProps->setObjectName(QStringLiteral("TabSheet1"));
    auto* propsLayout = new QVBoxLayout(tabProps);
    ScrollBox1 = new QScrollArea(tabProps);
    ScrollBox1->setObjectName(QStringLiteral("ScrollBox1"));
    ScrollBox1->setWidgetResizable(true);
    propsLayout->addWidget(ScrollBox1);
    PageControl1->addTab(tabProps, QString());
    // Import Object.
    auto* tabObject = new QWidget(PageControl1);
    tabObject->setObjectName(QStringLiteral("TabSheet2"));
    auto* objLayout = new QVBoxLayout(tabObject);
    auto* objRow = new QHBoxLayout;
    Label2 = new QLabel(tabObject);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label3 = new QLabel(tabObject);
    Label3->setObjectName(QStringLiteral("Label3"));
    Button1 = makeButton(tabObject, "Button1", false, false);
    objRow->addWidget(Label2);
    objRow->addWidget(Label3, 1);
    objRow->addWidget(Button1);
    objLayout->addLayout(objRow);
    TreeView2 = makeTree("TreeView2", tabObject);
    makeDragSource(TreeView2);
    objLayout->addWidget(TreeView2);
    connect(Button1, &QPushButton::clicked, this, &TMainForm::Button1Click);
    TreeView2->installEventFilter(this); // the L key loads, as "Load" does
    PageControl1->addTab(tabObject, QString());
    // Import Map.
    auto* tabImport = new QWidget(PageControl1);
    tabImport->setObjectName(QStringLiteral("TabSheet3"));
    auto* impLayout = new QVBoxLayout(tabImport);
    auto* impRow = new QHBoxLayout;
    Label5 = new QLabel(tabImport);
    Label5->setObjectName(QStringLiteral("Label5"));
    Label4 = new QLabel(QStringLiteral("None"), tabImport);
    Label4->setObjectName(QStringLiteral("Label4"));
    impRow->addWidget(Label5);
    impRow->addWidget(Label4, 1);
    impLayout->addLayout(impRow);
    TreeView3 = makeTree("TreeView3", tabImport);
    makeDragSource(TreeView3);
    impLayout->addWidget(TreeView3);
    PageControl1->addTab(tabImport, QString());

    connect(TreeView1, &QTreeWidget::itemSelectionChanged, this, &TMainForm::TreeView1Change);
    connect(TreeView3, &QTreeWidget::itemSelectionChanged, this, &TMainForm::TreeView3Change);
}

void TMainForm::buildStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    const int widths[3] = {250, 200, 150};
    const char* initial[3] = {"main", "Select: Poxel", "Active: Edit Map"};
    for (int i = 0; i < 3; ++i) {
        auto* panel = new QLabel(QString::fromLatin1(initial[i]), bar);
        panel->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        panel->setMinimumWidth(widths[i]);
        bar->addWidget(panel, i == 2 ? 1 : 0);
        statusPanels_[static_cast<size_t>(i)] = panel;
    }
}

void TMainForm::registerTexts() {
    LangRegistry& r = appLangRegistry();
    auto caption = [&r](const char* key, QObject* control) {
        bindCaption(r, QString::fromLatin1(key), control);
    };
    caption("[mnuMainFile]", File1->menuAction());
    caption("[mnuMainView]", View1->menuAction());
    caption("[mnuMainOptions]", Options1->menuAction());
    caption("[mnuMainHelp]", Help1->menuAction());
    caption("[mnuMainFileOpenmap]", Openxom1);
    caption("[mnuMainFileNewmap]", Newmap1);
    caption("[mnuMainFileReopen]", Reopen1->menuAction());
    caption("[mnuMainFileReopenMaps]", reopenItems_[0]);
    caption("[mnuMainFileReopenTextures]", reopenItems_[7]);
    caption("[mnuMainFileOpentextureslist]", OpenTextures1);
    caption("[mnuMainFileOpenheightmap]", OpenHeightmap1);
    caption("[mnuMainFileCloseheightmap]", CloseHeightmap1);
    caption("[mnuMainFileImportobjects]", ImportObjects1);
    caption("[mnuMainFileImportmap]", ImportMap1);
    caption("[mnuMainFileImport3ds]", Import3ds1);
    caption("[mnuMainFileExport3ds]", Export3ds1);
    caption("[mnuMainFileImportheightmap]", ImportHeightmap1);
    caption("[mnuMainFileSavemap]", Savemap1);
    caption("[mnuMainFileSavemapas]", Savemapas1);
    caption("[mnuMainFileSavetextures]", SaveTextures1);
    caption("[mnuMainFileSavetextureslist]", SaveTexturesList1);
    caption("[mnuMainFileSaveheightmap]", SaveHeightmap1);
    caption("[mnuMainFileExit]", Exit1);
    caption("[mnuMainViewShowgrid]", ShowGrid1);
    caption("[mnuMainViewShow3Dmodel]", Show3DModel1);
    caption("[mnuMainViewWireframe]", Wireframe1);
    caption("[mnuMainViewTextures]", extures1);
    caption("[mnuMainViewShowdummy]", ShowEmmiters1);
    caption("[mnuMainViewHidename]", HideName1);
    caption("[mnuMainViewShowpoints]", DrawPoint);
    caption("[sWater]", Water1);
    caption("[mnuMainViewBoxmode]", BoxMode1);
    caption("[sCullFace]", CullFace1);
    caption("[mnuMainOptionsStyle]", Style1);
    caption("[mnuMainOptionsSelectlanguage]", SelectLanguage1->menuAction());
    caption("[mnuMainHelpHelp]", Help2);
    caption("[mnuMainHelpAbout]", About1);
    caption("[mnuMainEdit]", Edit1->menuAction());
    r.add(QStringLiteral("[mnuMainEditUndo]"), Undo1,
          [this](const QString&) { updateUndoActions(); });
    caption("[mnuTreeCollapsepoxel]", Collupse1);
    caption("[mnuTreeExpandpoxel]", Expand1);
    caption("[mnuTreeDeletepoxel]", Delete1);
    caption("[mnuTreeAdddummy]", AddDummyPoxel1);
    caption("[mnuTreeAddpoxel]", AddPoxel1);
    caption("[mnuTreeAddemitter]", AddEmitter1);
    caption("[sReplacer_]", Replacer1);
    caption("[mnuGroupDeletePoxels]", DeletePoxels);
    caption("[mnuTreeInfo]", VoxelSize); // filled in when the menu opens
    caption("[mnuGroupPoxelSelected]", Npoxelsselected1);
    caption("[mnuGroupGroupPoxels]", GroupPoxels1);
    // Get ID Poxel, the information lines and Make Hmap get their texts when the menu opens.
    GetIDPoxel1->setText(QStringLiteral("Get ID Poxel"));
    MakeHmap1->setText(QStringLiteral("Make Hmap"));
    caption("[mnuMainViewKestrelEmitters]", KestrelEmitters1);
    registerEditingTexts();

    for (int i = 0; i < 16; ++i)
        bindToolHint(r, QString::fromLatin1(kTools[i].hintKey),
                     toolButtons_[static_cast<size_t>(i)], kTools[i].key);

    bindTabText(r, QStringLiteral("[pageMaptree]"), PageControl2, PageControl2->widget(0));
    bindTabText(r, QStringLiteral("[pageEditmode]"), PageControl2, PageControl2->widget(1));
    bindTabText(r, QStringLiteral("[pageTextures]"), PageControl2, PageControl2->widget(2));
    bindTabText(r, QStringLiteral("[pageProperties]"), PageControl1, PageControl1->widget(0));
    bindTabText(r, QStringLiteral("[pageImportobject]"), PageControl1, PageControl1->widget(1));
    bindTabText(r, QStringLiteral("[pageImportmap]"), PageControl1, PageControl1->widget(2));
    // Trees and the view have no caption of their own: they are named by their pages.
    bindAccessibleName(r, QStringLiteral("[pageMaptree]"), TreeView1);
    bindAccessibleName(r, QStringLiteral("[pageImportobject]"), TreeView2);
    bindAccessibleName(r, QStringLiteral("[pageImportmap]"), TreeView3);
    bindAccessibleName(r, QStringLiteral("[sView3D]"), OpenGLBox_);
    caption("[pageMaptreelblSelect]", Label1);
    caption("[pageImportmaplblSelect]", Label5);
    caption("[pageImportobjectbutLoad]", Button1);
    caption("[pageEditmodebutGeneraledit]",
            findChild<QPushButton*>(QStringLiteral("ButGeneralEdit")));
    caption("[pageEditmodebutLayersedit]",
            findChild<QPushButton*>(QStringLiteral("ButLayersEdit")));
    caption("[pageEditmodebutHMapedit]", findChild<QPushButton*>(QStringLiteral("ButHMapEdit")));
    caption("[pageEditmodebutPoxeledit]", findChild<QPushButton*>(QStringLiteral("ButPoxelEdit")));
    caption("[pageEditmodebutHidechild]", ShowChild);
    caption("[pageEditmodebutHideparent]", ShowParent);
    // The active source follows the language too.
    r.add(QStringLiteral("[sActiveEditMap]"), statusPanels_[2], [this](const QString& text) {
        if (scene_.ShownRoot == doc_->root())
            statusPanels_[2]->setText(text);
    });
}

void TMainForm::LoadSettings() {
    // Style first: the main window's background takes the style colour.
    loadStyle();
    applyWindowStyle(this, {ScrollBox1});
    Settings settings;
    for (RecentKind kind : {RecentKind::TextureLists, RecentKind::Maps}) {
        RecentList& list = kind == RecentKind::Maps ? recentMaps_ : recentTextureLists_;
        int place = 0;
        for (int i = 1; i <= kRecentCount; ++i) {
            const QString file = settings.string(recentSettingName(kind, i)).value_or(QString());
            // A relative name (kept by older versions) would open whatever file of that name
            // lies in the folder the editor was started in: it is left out.
            if (!file.isEmpty() && QDir::isAbsolutePath(file))
                list.set(place++, file);
        }
        for (int i = place + 1; i <= kRecentCount; ++i)
            if (settings.contains(recentSettingName(kind, i)))
                settings.setString(recentSettingName(kind, i), QString());
    }
    UpdateRecentMenu(RecentKind::TextureLists);
    UpdateRecentMenu(RecentKind::Maps);
    SelectLanguage1->startUp();
    tools_->setRestriction(RestrictX);
    setStatus(2, langText("[sActiveEditMap]"));
    restoreWindowLayout();
}

void TMainForm::setStatus(int panel, const QString& text) {
    statusPanels_[static_cast<size_t>(panel)]->setText(text);
}

void TMainForm::repaintView() {
    if (controller_)
        controller_->sceneChanged();
    OpenGLBox_->update();
}

void TMainForm::Style1Click() {
    if (!styleForm_)
        styleForm_ = new TStyleEditForm(this);
    styleForm_->exec();
    // Nothing repaints with new colours by itself: the panels are laid out again, and the
    // window and every numeric field in it (the value dialog's too) take the colours at once.
    PropertiesPage->LayoutPanels();
    applyWindowStyle(this, {ScrollBox1});
    ToolBar1->update();
}

} // namespace lw
