// The property page: building the panels, laying them out for the selected node, filling them.

#include "editor/gui/PropertiesPage.h"

#include "editor/gui/ValForm.h"
#include "editor/gui/ValueGrids.h"
#include "ui/FloatText.h"
#include "ui/Language.h"
#include "ui/Style.h"
#include "ui/gui/CheckBoxX.h"
#include "ui/gui/EditX.h"
#include "ui/gui/LangBind.h"
#include "ui/gui/PanelPlus.h"
#include "ui/gui/SpinFloatX.h"
#include "ui/gui/StylePaint.h"

#include <QEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

#include <algorithm>

namespace lw {

namespace {

constexpr int kMargin = 18; // controls keep clear of the panel's body frame
constexpr int kRow = 24;
constexpr int kFirstRow = 32;
constexpr int kFieldHeight = 21;
constexpr int kButtonHeight = 22;
constexpr int kTextCodeTop = 202;
constexpr int kVoxRowHeight = 26;

QString vectorHeader(const TVec3& v) {
    return QStringLiteral("[%1, %2, %3]")
        .arg(formatFixed(double(v.X), 1), formatFixed(double(v.Y), 1), formatFixed(double(v.Z), 1));
}

QPushButton* makeButton(QWidget* parent, const char* name, const QString& text,
                        bool checkable = false) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setCheckable(checkable);
    b->setAccessibleName(text);
    return b;
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    return l;
}

QFrame* makeSwatchPanel(QWidget* parent, const char* name, QWidget** paint, const char* paintName) {
    auto* frame = new QFrame(parent);
    frame->setObjectName(QString::fromLatin1(name));
    frame->setFrameShape(QFrame::Box);
    auto* noThumb = new QLabel(frame);
    noThumb->setObjectName(QStringLiteral("NoThumb"));
    noThumb->setAlignment(Qt::AlignCenter);
    noThumb->setGeometry(1, 1, 64, 64);
    *paint = new QWidget(frame);
    (*paint)->setObjectName(QString::fromLatin1(paintName));
    (*paint)->setGeometry(1, 1, 64, 64);
    frame->resize(66, 66);
    return frame;
}

// The text of an accessible name: a caption without the colon of a label ("Name:" -> "Name").
QString bare(QString text) {
    text = text.trimmed();
    if (text.endsWith(QLatin1Char(':')))
        text.chop(1);
    return text;
}

} // namespace

TPropertiesPage::TPropertiesPage(MapDocument& doc, QScrollArea* scrollBox, QWidget* parent)
    : QWidget(parent), doc_(doc), scrollBox_(scrollBox) {
    setObjectName(QStringLiteral("PropertiesPage"));
    buildPanels();
    buildTables();
    buildCopyMenu();
    valForm_ = new TValForm(this);
    valForm_->ValueEd->installEventFilter(this);
    if (TSpinFloatX* spin = valForm_->ValueEd->spinner())
        spin->installEventFilter(this);
    connect(valForm_->ValueEd, &TEditX::FloatFunc, this, &TPropertiesPage::onValueEdited);
    registerTexts();
    connectFields();
    connectBrushSettings();
    FillPanels(nullptr, false);
}

TPropertiesPage::~TPropertiesPage() {
    // The fields go with their panels; nothing may be written while they do.
    filling_ = true;
    panelPoxel_ = nullptr;
}

std::array<TPanelPlus*, 12> TPropertiesPage::panels() const {
    return {PanelPlus1, PanelPlus2, PanelPlus3,    PanelPlus9, PanelPlus10, PanelPlus4,
            PanelPlus5, PanelPlus6, TextCodePanel, PanelPlus7, PanelPlus8,  PanelPlus11};
}

TPanelPlus* TPropertiesPage::addPanel(const char* name, int fullHeight) {
    auto* panel = new TPanelPlus(this);
    panel->setObjectName(QString::fromLatin1(name));
    panel->setFullHeight(fullHeight);
    panel->setMakeEdit(true);
    panel->installEventFilter(this); // contents follow the panel's width
    layout()->addWidget(panel);
    return panel;
}

TEditX* TPropertiesPage::addField(QWidget* body, const char* name, const QString& label, double min,
                                  double max, double step, int decimals) {
    auto* edit = new TEditX(body);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setLabelText(label);
    edit->setRange(min, max);
    edit->setFloatDiv(step);
    edit->setPrecision(decimals);
    edit->resize(60, kFieldHeight);
    // A new editing session starts with focus, with each typed value and with each drag.
    edit->installEventFilter(this);
    if (TSpinFloatX* spin = edit->spinner())
        spin->installEventFilter(this);
    return edit;
}

std::array<TEditX*, 3> TPropertiesPage::buildVectorPanel(TPanelPlus* panel,
                                                         const std::array<const char*, 3>& names,
                                                         double min, double max, double step,
                                                         int decimals) {
    const char* axes[3] = {"X", "Y", "Z"};
    std::array<TEditX*, 3> fields{};
    for (size_t i = 0; i < 3; ++i)
        fields[i] =
            addField(panel, names[i], QString::fromLatin1(axes[i]), min, max, step, decimals);
    return fields;
}

void TPropertiesPage::buildPanels() {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    Panel8 = new QFrame(this);
    Panel8->setObjectName(QStringLiteral("Panel8"));
    Panel8->setFixedHeight(TPanelPlus::kCollapsedHeight);
    Panel8->setMinimumWidth(TPanelPlus::kMinimumWidth);
    applyStyleSurface(Panel8, StyleSurface::Panel);
    LabelName = makeLabel(Panel8, "LabelName", QStringLiteral("Name"));
    EditItem1 = new QLineEdit(QStringLiteral("Poxel"), Panel8);
    EditItem1->setObjectName(QStringLiteral("EditItem1"));
    EditItem1->setReadOnly(true);
    Panel8->installEventFilter(this);
    column->addWidget(Panel8);

    PanelPlus1 = addPanel("PanelPlus1", 104);
    const auto pos =
        buildVectorPanel(PanelPlus1, {"EditX3", "EditX2", "EditX1"}, -2000, 2000, 0.1, 6);
    PanelPlus2 = addPanel("PanelPlus2", 103);
    const auto rot =
        buildVectorPanel(PanelPlus2, {"EditX4", "EditX5", "EditX6"}, -2000, 2000, 0.1, 6);
    PanelPlus3 = addPanel("PanelPlus3", 106);
    const auto size =
        buildVectorPanel(PanelPlus3, {"EditX7", "EditX8", "EditX9"}, 0, 1000, 0.001, 6);
    PanelPlus9 = addPanel("PanelPlus9", 104);
    const auto clip = buildVectorPanel(PanelPlus9, {"EditX15", "EditX14", "EditX13"}, 0, 25, 1, 0);
    EditX3 = pos[0];
    EditX2 = pos[1];
    EditX1 = pos[2];
    EditX4 = rot[0];
    EditX5 = rot[1];
    EditX6 = rot[2];
    EditX7 = size[0];
    EditX8 = size[1];
    EditX9 = size[2];
    EditX15 = clip[0];
    EditX14 = clip[1];
    EditX13 = clip[2];

    PanelPlus10 = addPanel("PanelPlus10", 73);
    LabelEmName = makeLabel(PanelPlus10, "LabelEmName", QStringLiteral("Name:"));
    LabelLibName = makeLabel(PanelPlus10, "LabelLibName", QStringLiteral("Lib:"));
    EditEmName = new QLineEdit(QStringLiteral("Emitter"), PanelPlus10);
    EditEmName->setObjectName(QStringLiteral("EditEmName"));
    EditLibName = new QLineEdit(QStringLiteral("Lib"), PanelPlus10);
    EditLibName->setObjectName(QStringLiteral("EditLibName"));
    for (QLineEdit* e : {EditEmName, EditLibName})
        e->installEventFilter(this);

    PanelPlus4 = addPanel("PanelPlus4", 137);
    PanelPlus5 = addPanel("PanelPlus5", 153);
    LayersPick = makeButton(PanelPlus5, "LayersPick", QStringLiteral("Layers Mode"), true);
    LayersLen = addField(PanelPlus5, "LayersLen", QStringLiteral("Soft len"), 1, 100, 0.1, 0);
    LayersLen->setFloatVal(1);
    PanelPlus6 = addPanel("PanelPlus6", 152);
    EditX10 = addField(PanelPlus6, "EditX10", QStringLiteral("X"), 1, 30, 0.1, 0);
    EditX11 = addField(PanelPlus6, "EditX11", QStringLiteral("Y"), 1, 25, 0.1, 0);
    EditX12 = addField(PanelPlus6, "EditX12", QStringLiteral("Z"), 1, 30, 0.1, 0);
    EditX16 = addField(PanelPlus6, "EditX16", QStringLiteral("Apply Texture"), 0, 64, 0.1, 0);
    for (TEditX* e : {EditX10, EditX11, EditX12, EditX16})
        e->setFloatVal(1);
    ApplySize = makeButton(PanelPlus6, "ApplySize", QStringLiteral("Apply"));

    buildTexturePanel();
    buildHeightMapPanel();
    buildSurfacesPanel();
    buildHeightMapTexturePanel();
    column->addStretch(1);
}

void TPropertiesPage::buildTexturePanel() {
    TextCodePanel = addPanel("TextCodePanel", 219);
    ButFillPoxel = makeButton(TextCodePanel, "ButFillPoxel", QStringLiteral("Fill"), true);
    ButGetPoxel = makeButton(TextCodePanel, "ButGetPoxel", QStringLiteral("Get"), true);
    ButDelPoxel = makeButton(TextCodePanel, "ButDelPoxel", QStringLiteral("Erase"), true);
    // The tool model keeps them one group (at most one down) and says which are enabled.
    ButFillPoxel->setToolTip(withKeyName(ButFillPoxel->text(), "M"));
    ButGetPoxel->setToolTip(withKeyName(ButGetPoxel->text(), "F"));
    EditX18 = addField(TextCodePanel, "EditX18", QStringLiteral("Box"), 0, 64, 1, 0);
    EditX17 = addField(TextCodePanel, "EditX17", QStringLiteral("Mat"), 0, 64, 1, 0);
    EditX19 = addField(TextCodePanel, "EditX19", QStringLiteral("Corners"), 0, 15, 1, 0);
    EditX20 = addField(TextCodePanel, "EditX20", QStringLiteral("Blur"), 0, 15, 1, 0);
    EditX18->setFloatVal(1);
    for (size_t i = 0; i < cornerBoxes_.size(); ++i) {
        auto* box = new TCheckBoxX(TextCodePanel);
        box->setObjectName(QStringLiteral("CheckBoxX%1").arg(i + 1));
        cornerBoxes_[i] = box;
    }
    AutoBlur = makeButton(TextCodePanel, "AutoBlur", QStringLiteral("Auto Blur"));
    SpeedButton1 = makeButton(TextCodePanel, "SpeedButton1", QStringLiteral("Blur"));
    PanelCurText = makeSwatchPanel(TextCodePanel, "PanelCurText", &PaintCurText, "PaintCurText");
    ImportVox = makeButton(TextCodePanel, "ImportVox", QStringLiteral("Import *.vox"));
    ExportVox = makeButton(TextCodePanel, "ExportVox", QStringLiteral("Export *.vox"));
    connect(ImportVox, &QPushButton::clicked, this, &TPropertiesPage::ImportVoxClick);
    connect(ExportVox, &QPushButton::clicked, this, &TPropertiesPage::ExportVoxClick);
}

void TPropertiesPage::buildHeightMapPanel() {
    PanelPlus7 = addPanel("PanelPlus7", 223);
    HmPickBut = makeButton(PanelPlus7, "HmPickBut", QStringLiteral("Pick"), true);
    HmRadEdit = addField(PanelPlus7, "HmRadEdit", QStringLiteral("Radius"), 0, 100, 0.1, 3);
    HmRadEdit->setFloatVal(1);
    HmHeightEdit =
        addField(PanelPlus7, "HmHeightEdit", QStringLiteral("Height"), -100, 100, 0.01, 3);
    HmHeightEdit->setEnabled(false); // only while "Pick" is down
    ImportHmap = makeButton(PanelPlus7, "ImportHmap", QStringLiteral("Import HMap"));
    ExportHmap = makeButton(PanelPlus7, "ExportHmap", QStringLiteral("Export HMap"));
}

void TPropertiesPage::buildSurfacesPanel() {
    PanelPlus8 = addPanel("PanelPlus8", 124);
    LabSur1 = makeLabel(PanelPlus8, "LabSur1", QStringLiteral("0x0000"));
    LabSur2 = makeLabel(PanelPlus8, "LabSur2", QStringLiteral("0x0000"));
    LabColor = makeLabel(PanelPlus8, "LabColor", QStringLiteral("Color:"));
    Shape2 = new QFrame(PanelPlus8);
    Shape2->setObjectName(QStringLiteral("Shape2"));
    Shape2->setFrameShape(QFrame::Box);
    Shape2->setAutoFillBackground(true);
    Button2 = makeButton(PanelPlus8, "Button2", QStringLiteral("Select"));
    auto box = [this](const char* name, const char* caption) {
        auto* b = new TCheckBoxX(PanelPlus8);
        b->setObjectName(QString::fromLatin1(name));
        b->setCaption(QString::fromLatin1(caption));
        b->setAccessibleName(QString::fromLatin1(caption));
        return b;
    };
    Smooth1 = box("Smooth1", "Top Smooth");
    Smooth2 = box("Smooth2", "Side Smooth");
    Smooth3 = box("Smooth3", "?");
    Smooth4 = box("Smooth4", "Visible");
    SurAlph = box("SurAlph", "Alpha");
    Button3 = makeButton(PanelPlus8, "Button3", QStringLiteral("Apply"));
    connect(Button2, &QPushButton::clicked, this, &TPropertiesPage::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TPropertiesPage::Smooth1Click);
    connect(ApplySize, &QPushButton::clicked, this, &TPropertiesPage::ApplySizeClick);
}

void TPropertiesPage::buildHeightMapTexturePanel() {
    PanelPlus11 = addPanel("PanelPlus11", 273);
    HImageView = makeLabel(PanelPlus11, "HImageView", QString());
    HImageView->setFrameShape(QFrame::Box);
    ImportImage = makeButton(PanelPlus11, "ImportImage", QStringLiteral("Import Image"));
    ExportImage = makeButton(PanelPlus11, "ExportImage", QStringLiteral("Export Image"));
    makeLabel(PanelPlus11, "LabelTexture1", QStringLiteral("Texture 1:"));
    makeLabel(PanelPlus11, "LabelTexture2", QStringLiteral("Texture 2:"));
    Panel1 = makeSwatchPanel(PanelPlus11, "Panel1", &Text1Paint, "Text1Paint");
    Panel5 = makeSwatchPanel(PanelPlus11, "Panel5", &Text2Paint, "Text2Paint");
    // The heightmap preview's commands enable these.
    ImportImage->setEnabled(false);
    ExportImage->setEnabled(false);
}

void TPropertiesPage::registerTexts() {
    LangRegistry& r = appLangRegistry();
    auto caption = [&r](const char* key, QObject* control) {
        bindCaption(r, QString::fromLatin1(key), control);
    };
    // A panel's caption also names its header edit and its fields ("Position X").
    auto panel = [&r](const char* key, TPanelPlus* p, std::initializer_list<TEditX*> fields) {
        std::vector<TEditX*> named(fields);
        r.add(QString::fromLatin1(key), p, [p, named](const QString& t) {
            p->setCaption(t);
            p->setAccessibleName(t);
            if (QLineEdit* header = p->headerEdit())
                header->setAccessibleName(t);
            for (TEditX* f : named)
                f->setAccessibleName(t + QLatin1Char(' ') + bare(f->LabelText()));
        });
    };
    panel("[pagePropertieslblPostition]", PanelPlus1, {EditX3, EditX2, EditX1});
    panel("[pagePropertieslblRotate]", PanelPlus2, {EditX4, EditX5, EditX6});
    panel("[pagePropertieslblSize]", PanelPlus3, {EditX7, EditX8, EditX9});
    panel("[pagePropertieslblClip]", PanelPlus9, {EditX15, EditX14, EditX13});
    panel("[pagePropertieslblTexturecoordinates]", PanelPlus4, {});
    panel("[pagePropertieslblLayers]", PanelPlus5, {});
    panel("[pagePropertieslblPoxelssize]", PanelPlus6, {EditX10, EditX11, EditX12});
    panel("[pagePropertieslblPoxeltexture]", TextCodePanel, {});
    panel("[pagePropertieslblHeightmap]", PanelPlus7, {});
    panel("[pagePropertieslblSurfacestype]", PanelPlus8, {});
    panel("[pagePropertieslblLibraryEmitter]", PanelPlus10, {});
    panel("[pagePropertieslblHMText]", PanelPlus11, {});
    caption("[pagePropertieslblName]", LabelName);
    bindAccessibleName(r, QStringLiteral("[pagePropertieslblName]"), EditItem1);

    // Fields named by their own label, qualified by the panel they sit in.
    auto labelled = [&r](const char* labelKey, TEditX* f, const char* panelKey) {
        r.add(QString::fromLatin1(labelKey), f, [f, panelKey](const QString& t) {
            f->setLabelText(t);
            f->setAccessibleName(panelKey ? langText(panelKey) + QLatin1Char(' ') + bare(t)
                                          : bare(t));
        });
    };
    labelled("[sApplyTexture]", EditX16, nullptr);
    labelled("[sSoftLen]", LayersLen, "[pagePropertieslblLayers]");
    labelled("[sRadius]", HmRadEdit, "[pagePropertieslblHeightmap]");
    labelled("[sHeight]", HmHeightEdit, "[pagePropertieslblHeightmap]");
    // Design labels without a language text of their own.
    r.add(QStringLiteral("[pagePropertieslblPoxeltexture]"), EditX18, [this](const QString& t) {
        for (TEditX* f : {EditX18, EditX17, EditX19, EditX20})
            f->setAccessibleName(t + QLatin1Char(' ') + f->LabelText());
    });
    r.add(QStringLiteral("[pagePropertieslblLibraryEmitter]"), EditEmName,
          [this](const QString& t) {
              EditEmName->setAccessibleName(t + QLatin1Char(' ') + bare(LabelEmName->text()));
              EditLibName->setAccessibleName(t + QLatin1Char(' ') + bare(LabelLibName->text()));
          });
    caption("[sName]", LabelEmName);
    caption("[sLib]", LabelLibName);

    auto button = [&r](const char* key, QAbstractButton* b) {
        r.add(QString::fromLatin1(key), b, [b](const QString& t) {
            b->setText(t);
            b->setAccessibleName(bare(t));
        });
    };
    button("[sLayersMode]", LayersPick);
    button("[sApply]", ApplySize);
    button("[sApply]", Button3);
    button("[sAutoBlur]", AutoBlur);
    r.add(QStringLiteral("[sPick]"), HmPickBut, [this](const QString& t) {
        HmPickBut->setText(t);
        HmPickBut->setAccessibleName(bare(t));
        HmPickBut->setToolTip(withKeyName(bare(t), "P"));
    });
    button("[sImportHMap]", ImportHmap);
    button("[sExportHMap]", ExportHmap);
    button("[sSelect]", Button2);
    button("[sImportImage]", ImportImage);
    button("[sExportImage]", ExportImage);
    auto check = [&r](const char* key, TCheckBoxX* b) {
        r.add(QString::fromLatin1(key), b, [b](const QString& t) {
            b->setCaption(t);
            b->setAccessibleName(bare(t));
        });
    };
    check("[sTopSmooth]", Smooth1);
    check("[sSideSmooth]", Smooth2);
    check("[sVisible]", Smooth4);
    check("[sAlpha]", SurAlph);
    caption("[sColor]", LabColor);
    caption("[sTexture1]", PanelPlus11->findChild<QLabel*>(QStringLiteral("LabelTexture1")));
    caption("[sTexture2]", PanelPlus11->findChild<QLabel*>(QStringLiteral("LabelTexture2")));
    for (QFrame* swatch : {PanelCurText, Panel1, Panel5})
        caption("[sNoThumb]", swatch->findChild<QLabel*>(QStringLiteral("NoThumb")));

    // The corner boxes: two squares, the outer one for the top corners.
    const char* const corners[8] = {"Top corners, top left",       "Top corners, top right",
                                    "Top corners, bottom left",    "Top corners, bottom right",
                                    "Bottom corners, top left",    "Bottom corners, top right",
                                    "Bottom corners, bottom left", "Bottom corners, bottom right"};
    for (size_t i = 0; i < cornerBoxes_.size(); ++i)
        cornerBoxes_[i]->setAccessibleName(QString::fromLatin1(corners[i]));
    Smooth3->setAccessibleName(QStringLiteral("?"));

    r.add(QStringLiteral("[sTextureCode]"), TextCodeTab, [this](const QString& t) {
        textCodeModel_->setColumnTitles({QStringLiteral("#"), t});
        TextCodeTab->setAccessibleName(t);
    });
    bindAccessibleName(r, QStringLiteral("[pagePropertieslblTexturecoordinates]"), TextCoord);
    bindAccessibleName(r, QStringLiteral("[pagePropertieslblLayers]"), LayersVals);
    bindAccessibleName(r, QStringLiteral("[pagePropertieslblHeightmap]"), HeightMapGrid);
    caption("[mnuCopyCopytable]", abletoclopboard1);
    caption("[mnuCopyCopyvalue]", Copy1);
    caption("[mnuCopyEditvalue]", EditValue1);
    caption("[mnuCopyPastetable]", PasteTable1);
    caption("[mnuCopyValue]", Value1);
}

// ---- Geometry of the panels' contents -------------------------------------------------------

bool TPropertiesPage::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::Resize:
        if (watched == Panel8 || qobject_cast<TPanelPlus*>(watched))
            placeBodies();
        break;
    case QEvent::FocusIn:
        if (qobject_cast<TEditX*>(watched) || watched == EditEmName || watched == EditLibName)
            ++session_;
        break;
    case QEvent::MouseButtonPress:
        if (qobject_cast<TSpinFloatX*>(watched))
            ++session_;
        break;
    case QEvent::KeyPress: {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (qobject_cast<TEditX*>(watched) && (key == Qt::Key_Return || key == Qt::Key_Enter))
            ++session_;
        break;
    }
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void TPropertiesPage::placeBodies() {
    const int w = width();
    const int right = w - kMargin; // controls end here
    auto fieldColumn = [&](std::initializer_list<TEditX*> fields, int x) {
        int y = kFirstRow;
        for (TEditX* f : fields) {
            f->setGeometry(x, y, std::max(30, right - TSpinFloatX::kWidth - x), kFieldHeight);
            y += kRow;
        }
    };
    EditItem1->setGeometry(50, 2, std::max(40, w - 58), kFieldHeight);
    LabelName->setGeometry(8, 4, 40, 17);
    fieldColumn({EditX3, EditX2, EditX1}, 40);
    fieldColumn({EditX4, EditX5, EditX6}, 40);
    fieldColumn({EditX7, EditX8, EditX9}, 40);
    fieldColumn({EditX15, EditX14, EditX13}, 40);

    LabelEmName->setGeometry(kMargin, 32, 38, 17);
    LabelLibName->setGeometry(kMargin, 51, 38, 17);
    EditEmName->setGeometry(56, 30, std::max(40, right - 56), 19);
    EditLibName->setGeometry(56, 50, std::max(40, right - 56), 19);

    TextCoord->setGeometry(kMargin, 30, std::max(60, w - 2 * kMargin),
                           5 * TValueGrid::kRowHeight + 2);

    LayersPick->setGeometry(kMargin, 30, 90, kButtonHeight);
    LayersLen->setGeometry(right - TSpinFloatX::kWidth - 40, 30, 40, kFieldHeight);
    LayersVals->setGeometry(kMargin, 56, std::max(60, w - 2 * kMargin), 153 - 56 - 8);

    fieldColumn({EditX10, EditX11, EditX12}, 40);
    EditX16->setGeometry(110, kFirstRow + 3 * kRow, std::max(30, right - TSpinFloatX::kWidth - 110),
                         kFieldHeight);
    ApplySize->setGeometry(right - 70, kFirstRow + 4 * kRow, 70, kButtonHeight);

    // Poxel Texture.
    ButFillPoxel->setGeometry(kMargin, 30, 50, kButtonHeight);
    ButGetPoxel->setGeometry(kMargin + 52, 30, 50, kButtonHeight);
    ButDelPoxel->setGeometry(kMargin + 104, 30, 50, kButtonHeight);
    EditX18->setGeometry(68, 56, 36, kFieldHeight);
    EditX17->setGeometry(150, 56, 36, kFieldHeight);
    EditX19->setGeometry(68, 80, 36, kFieldHeight);
    EditX20->setGeometry(150, 80, 36, kFieldHeight);
    const QPoint square(kMargin + 4, 108);
    const QPoint at[8] = {{0, 0},   {48, 0},  {0, 48},  {48, 48},
                          {16, 16}, {32, 16}, {16, 32}, {32, 32}};
    for (size_t i = 0; i < cornerBoxes_.size(); ++i)
        cornerBoxes_[i]->move(square + at[i]);
    PanelCurText->move(100, 106);
    AutoBlur->setGeometry(kMargin, 176, 80, kButtonHeight);
    SpeedButton1->setGeometry(kMargin + 84, 176, 60, kButtonHeight);
    TextCodeTab->setGeometry(kMargin, kTextCodeTop, std::max(60, w - 2 * kMargin),
                             TextCodeTab->height());
    const int voxTop = kTextCodeTop + TextCodeTab->height() + 4;
    ImportVox->setGeometry(kMargin, voxTop, 96, kButtonHeight);
    ExportVox->setGeometry(kMargin + 100, voxTop, 96, kButtonHeight);

    // Height Map.
    HmPickBut->setGeometry(kMargin, 30, 60, kButtonHeight);
    HmRadEdit->setGeometry(right - TSpinFloatX::kWidth - 60, 30, 60, kFieldHeight);
    HmHeightEdit->setGeometry(right - TSpinFloatX::kWidth - 60, 54, 60, kFieldHeight);
    ImportHmap->setGeometry(kMargin, 80, 96, kButtonHeight);
    ExportHmap->setGeometry(kMargin + 100, 80, 96, kButtonHeight);
    HeightMapGrid->setGeometry(kMargin, 106, std::max(60, w - 2 * kMargin), 223 - 106 - 8);

    // Surfaces Type.
    LabSur1->setGeometry(kMargin, 30, 70, 17);
    LabSur2->setGeometry(kMargin + 80, 30, 70, 17);
    LabColor->setGeometry(kMargin, 50, 40, 17);
    Shape2->setGeometry(kMargin + 42, 49, 40, 18);
    Button2->setGeometry(kMargin + 90, 47, 64, kButtonHeight);
    Smooth1->move(kMargin, 76);
    Smooth2->move(kMargin + 92, 76);
    Smooth3->move(kMargin, 96);
    Smooth4->move(kMargin + 34, 96);
    SurAlph->move(kMargin + 92, 96);
    Button3->setGeometry(right - 64, 94, 64, kButtonHeight);

    // Height Map Texture.
    HImageView->setGeometry(kMargin, 30, 100, 100);
    ImportImage->setGeometry(kMargin + 110, 30, 96, kButtonHeight);
    ExportImage->setGeometry(kMargin + 110, 56, 96, kButtonHeight);
    PanelPlus11->findChild<QLabel*>(QStringLiteral("LabelTexture1"))
        ->setGeometry(kMargin, 138, 70, 17);
    PanelPlus11->findChild<QLabel*>(QStringLiteral("LabelTexture2"))
        ->setGeometry(kMargin + 82, 138, 70, 17);
    Panel1->move(kMargin, 158);
    Panel5->move(kMargin + 82, 158);
}

// ---- Layout ---------------------------------------------------------------------------------

QColor TPropertiesPage::colourOf(bool active) const {
    return toQColor(active ? activeColor() : unactiveColor());
}

bool TPropertiesPage::isDocumentNode() const {
    // The heightmap preview is no part of the map: the page shows it but never edits it.
    return panelPoxel_ && editedMapShown_ && !panelPoxel_->IsHeightmapImage;
}

void TPropertiesPage::setHeaderColours() {
    const QColor e = colourOf(editable_);
    for (TPanelPlus* p : {PanelPlus1, PanelPlus2, PanelPlus3, PanelPlus4, PanelPlus8, PanelPlus5})
        p->setEditColor(e);
    const QColor heights = colourOf(editable_ && isDocumentNode());
    PanelPlus7->setEditColor(heights);
    PanelPlus11->setEditColor(heights);
    const TPoxel* s = panelPoxel_;
    if (s && s->IsEntity) {
        PanelPlus9->setEditColor(e);
        PanelPlus10->setEditColor(e);
    }
    TextCodePanel->setEditColor(colourOf(editableCells_));
    PanelPlus6->setEditColor(colourOf(editableCells_));
}

void TPropertiesPage::LayoutPanels() {
    TPoxel* s = panelPoxel_;
    editable_ = editedMapShown_ && s && !s->IsRoot;
    editableNoEntity_ = editable_ && !s->IsEntity;
    editableCells_ = editable_ && !s->IsGroup && !s->IsEntity && !s->IsHeightmapImage;
    const bool heightmapImage = s && s->IsHeightmapImage;

    EditItem1->setReadOnly(!(editableNoEntity_ || heightmapImage));
    QPalette pal = EditItem1->palette();
    pal.setColor(QPalette::Base, colourOf(editableNoEntity_ || heightmapImage));
    EditItem1->setPalette(pal);
    setHeaderColours();

    // The brush buttons follow the tool model (the main window mirrors it after laidOut).
    for (QWidget* w : std::initializer_list<QWidget*>{
             Button2, Button3, Smooth1, Smooth2, Smooth3, Smooth4, SurAlph, EditX1, EditX2, EditX3,
             EditX4, EditX5, EditX6, EditX7, EditX8, EditX9})
        w->setEnabled(editable_);
    ImportHmap->setEnabled(editable_ && HeightmapCommandsWired);
    ExportHmap->setEnabled(s && !s->IsEntity && !s->IsRoot && HeightmapCommandsWired);
    if (s && s->IsEntity)
        for (TEditX* f : {EditX13, EditX14, EditX15})
            f->setEnabled(editable_);
    EditEmName->setReadOnly(!editable_);
    EditLibName->setReadOnly(!editable_);

    const bool cellPanels = s && !s->IsHeightmapImage && !s->IsEntity && !s->IsRoot;
    if (cellPanels) {
        s->DirectDraw = false;
        s->ShowPoints = false;
    }
    for (QWidget* w : std::initializer_list<QWidget*>{AutoBlur, SpeedButton1, EditX10, EditX11,
                                                      EditX12, EditX16, ApplySize, ImportVox})
        w->setEnabled(editableCells_);
    ExportVox->setEnabled(cellPanels);

    valForm_->hide();

    // Show what applies, in design order; the view keeps its place.
    const int scroll = scrollBox_ ? scrollBox_->verticalScrollBar()->value() : 0;
    setUpdatesEnabled(false);
    const bool placed = s && !s->IsHeightmapImage;
    const bool entity = s && s->IsEntity;
    PanelPlus1->setVisible(placed);
    PanelPlus2->setVisible(placed);
    PanelPlus3->setVisible(placed);
    PanelPlus9->setVisible(entity);
    PanelPlus10->setVisible(entity);
    for (TPanelPlus* p : {PanelPlus4, PanelPlus5, PanelPlus6, TextCodePanel})
        p->setVisible(cellPanels);
    PanelPlus7->setVisible(s && !s->IsEntity && !s->IsRoot);
    PanelPlus8->setVisible(cellPanels);
    PanelPlus11->setVisible(heightmapImage && !entity && !s->IsRoot);
    setUpdatesEnabled(true);
    if (scrollBox_)
        scrollBox_->verticalScrollBar()->setValue(scroll);
    emit laidOut();
}

// ---- Filling --------------------------------------------------------------------------------

void TPropertiesPage::FillPanels(TPoxel* poxel, bool editedMapShown) {
    panelsReady_ = false;
    filling_ = true;
    valForm_->hide();
    panelPoxel_ = poxel;
    editedMapShown_ = editedMapShown;
    LayoutPanels();
    fillValues(NodeChange::Transform | NodeChange::Geometry | NodeChange::Name |
               NodeChange::Properties);
    if (poxel && !poxel->IsEntity && textCodeModel_->rowCount() > 0)
        TextCodeTab->setCurrentIndex(textCodeModel_->index(0, 1));
    filling_ = false;
    panelsReady_ = true;
}

void TPropertiesPage::fillVectors() {
    const TPoxel* p = panelPoxel_;
    if (!p)
        return;
    auto show = [](TEditX* f, float v) {
        // Only a value that differs is shown again: the field being typed in or dragged keeps
        // its own (finer) value.
        if (static_cast<float>(f->FloatVal()) != v)
            f->setFloatVal(double(v));
    };
    auto vector = [&](TPanelPlus* panel, std::array<TEditX*, 3> f, const TVec3& v) {
        panel->setEditText(vectorHeader(v));
        show(f[0], v.X);
        show(f[1], v.Y);
        show(f[2], v.Z);
    };
    vector(PanelPlus1, {EditX3, EditX2, EditX1}, p->Pos);
    vector(PanelPlus2, {EditX4, EditX5, EditX6}, p->Rot);
    vector(PanelPlus3, {EditX7, EditX8, EditX9}, p->Size);
    if (p->IsEntity)
        vector(PanelPlus9, {EditX15, EditX14, EditX13}, p->Clip);
}

void TPropertiesPage::fillValues(NodeChanges what) {
    const bool wasFilling = filling_;
    filling_ = true;
    TPoxel* p = panelPoxel_;
    if (!p) {
        EditItem1->setText(QString());
        textCoordModel_->setValues(0, 4, {});
        layersModel_->setValues(0, 5, {});
        heightsModel_->setValues(0, 0, {});
        textCodeModel_->setCodes({});
        filling_ = wasFilling;
        return;
    }
    if (what & (NodeChange::Name | NodeChange::Properties)) {
        const QString name = QString::fromLatin1(p->Name);
        if (EditItem1->text() != name)
            EditItem1->setText(name);
        if (p->IsEntity) {
            const QString lib = QString::fromLatin1(p->LibName);
            if (EditEmName->text() != name)
                EditEmName->setText(name);
            if (EditLibName->text() != lib)
                EditLibName->setText(lib);
            PanelPlus10->setEditText(lib);
        }
    }
    if (what & NodeChange::Transform)
        fillVectors();
    if (!p->IsEntity && (what & (NodeChange::Geometry | NodeChange::Properties))) {
        PanelPlus5->setEditText(QString::number(p->LowCount));
        PanelPlus6->setEditText(QStringLiteral("%1x%2x%3").arg(p->NX).arg(p->NY).arg(p->NZ));
        EditX10->setFloatVal(p->NX);
        EditX11->setFloatVal(p->NY);
        EditX12->setFloatVal(p->NZ);
        PanelPlus7->setEditText(QStringLiteral("%1x%2").arg(p->NX + 1).arg(p->NZ + 1));

        const SurfaceSwitches s = surfaceSwitchesOf(*p);
        PanelPlus8->setEditText(QStringLiteral("%1 %2x").arg(
            langText("[sSmooth]"), QString::number((p->Surface & 0xFu) + 1)));
        Smooth1->setChecked(s.topSmooth);
        Smooth2->setChecked(s.sideSmooth);
        Smooth3->setChecked(s.question);
        Smooth4->setChecked(s.visible);
        SurAlph->setChecked(s.alpha);
        LabSur1->setText(QString::asprintf("0x%.4x", p->Surface >> 16));
        LabSur2->setText(QString::asprintf("0x%.4x", p->Surface2 & 0xFFFFu));
        QPalette pal = Shape2->palette();
        pal.setColor(QPalette::Window, toQColor(p->Color & 0x00FFFFFFu));
        Shape2->setPalette(pal);

        fillTables();
    }
    filling_ = wasFilling;
}

void TPropertiesPage::fillTables() {
    const TPoxel* p = panelPoxel_;
    std::vector<float> coords(p->TextCoord.begin(), p->TextCoord.end());
    textCoordModel_->setValues(4, 4, std::move(coords));

    const int levels =
        std::clamp(p->LowCount, 0, int(std::min(p->LayerLow.size(), p->LayerHigh.size())));
    std::vector<float> layers;
    layers.reserve(size_t(levels) * 5);
    for (int r = 0; r < levels; ++r) {
        const auto i = size_t(r);
        layers.insert(layers.end(), {0.0f, p->LayerLow[i].X, p->LayerLow[i].Z, p->LayerHigh[i].X,
                                     p->LayerHigh[i].Z});
    }
    layersModel_->setValues(levels, 5, std::move(layers));

    // Rows are z, columns x: Heights[x][z] sits in column x + 1, row z + 1 of the grid.
    const int xs = int(p->Heights.size());
    int zs = 0;
    for (const auto& column : p->Heights)
        zs = std::max(zs, int(column.size()));
    std::vector<float> heights(size_t(xs) * size_t(zs), 0.0f);
    for (int x = 0; x < xs; ++x)
        for (int z = 0; z < int(p->Heights[size_t(x)].size()); ++z)
            heights[size_t(z) * size_t(xs) + size_t(x)] = p->Heights[size_t(x)][size_t(z)];
    heightsModel_->setValues(zs, xs, std::move(heights));

    textCodeModel_->setCodes(p->Voxels);
    const int cells = int(p->Voxels.size());
    TextCodePanel->setEditText(QString::number(cells));
    TextCodeTab->setFixedHeight(std::min(cells, 10) * TValueGrid::kRowHeight + 31);
    TextCodePanel->setFullHeight(kTextCodeTop + TextCodeTab->height() + 6 + kVoxRowHeight);
    placeBodies();
    TextCodePanel->update();
}

void TPropertiesPage::unbind() {
    valForm_->hide();
    FillPanels(nullptr, false);
}

} // namespace lw
