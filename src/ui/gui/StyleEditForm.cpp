#include "ui/gui/StyleEditForm.h"

#include "ui/Settings.h"
#include "ui/gui/LangBind.h"

#include <QButtonGroup>
#include <QColorDialog>
#include <QFrame>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>

namespace lw {

namespace {

std::optional<QColor> chooseColor(QWidget* parent, const QColor& initial) {
    const QColor c = QColorDialog::getColor(initial, parent);
    if (!c.isValid())
        return std::nullopt;
    return c;
}

QToolButton* makeToggle(QWidget* parent, const char* name, const QString& text) {
    auto* b = new QToolButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setText(text);
    b->setCheckable(true);
    b->setToolButtonStyle(Qt::ToolButtonTextOnly);
    b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    return b;
}

QFrame* makeShape(QWidget* parent, const char* name) {
    auto* s = new QFrame(parent);
    s->setObjectName(QString::fromLatin1(name));
    s->setFrameShape(QFrame::Box);
    s->setAutoFillBackground(true);
    s->setFixedSize(65, 25);
    return s;
}

QPushButton* makeButton(QWidget* parent, const char* name, const QString& text) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}

void setShapeColor(QFrame* shape, TColor color) {
    QPalette pal = shape->palette();
    pal.setColor(QPalette::Window, toQColor(color));
    shape->setPalette(pal);
}

} // namespace

TStyleEditForm::TStyleEditForm(QWidget* parent, LangRegistry& registry)
    : QDialog(parent), pickColor_(chooseColor) {
    setObjectName(QStringLiteral("StyleEditForm"));
    setWindowTitle(QStringLiteral("Style Edit"));

    SpeedButton3_ = makeToggle(this, "SpeedButton3", QStringLiteral("User Style"));
    SpeedButton1_ = makeToggle(this, "SpeedButton1", QStringLiteral("Default Style"));
    SpeedButton2_ = makeToggle(this, "SpeedButton2", QStringLiteral("System Style"));
    toggles_ = new QButtonGroup(this);
    toggles_->addButton(SpeedButton1_, int(StyleKind::Default));
    toggles_->addButton(SpeedButton2_, int(StyleKind::System));
    toggles_->addButton(SpeedButton3_, int(StyleKind::User));

    Shape2_ = makeShape(this, "Shape2");
    Shape1_ = makeShape(this, "Shape1");
    auto* activeLabel = new QLabel(QStringLiteral("Active Color"), this);
    activeLabel->setObjectName(QStringLiteral("LabelActiveColor"));
    auto* unactiveLabel = new QLabel(QStringLiteral("UnActive Color"), this);
    unactiveLabel->setObjectName(QStringLiteral("LabelUnActiveColor"));
    Button2_ = makeButton(this, "Button2", QStringLiteral("Select"));
    Button1_ = makeButton(this, "Button1", QStringLiteral("Select"));
    Button3_ = makeButton(this, "Button3", QStringLiteral("Apply"));
    Button4_ = makeButton(this, "Button4", QStringLiteral("Close"));

    auto* togglesRow = new QHBoxLayout;
    togglesRow->addWidget(SpeedButton3_);
    togglesRow->addWidget(SpeedButton1_);
    togglesRow->addWidget(SpeedButton2_);
    auto* colours = new QGridLayout;
    colours->addWidget(activeLabel, 0, 0);
    colours->addWidget(Shape2_, 0, 1);
    colours->addWidget(Button2_, 0, 2);
    colours->addWidget(unactiveLabel, 1, 0);
    colours->addWidget(Shape1_, 1, 1);
    colours->addWidget(Button1_, 1, 2);
    auto* buttonsRow = new QHBoxLayout;
    buttonsRow->addStretch();
    buttonsRow->addWidget(Button3_);
    buttonsRow->addWidget(Button4_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(togglesRow);
    layout->addLayout(colours);
    layout->addLayout(buttonsRow);

    connect(toggles_, &QButtonGroup::idClicked, this, [this] { updateControls(); });
    connect(Button2_, &QPushButton::clicked, this, &TStyleEditForm::Button2Click);
    connect(Button1_, &QPushButton::clicked, this, &TStyleEditForm::Button1Click);
    connect(Button3_, &QPushButton::clicked, this, &TStyleEditForm::Button3Click);
    connect(Button4_, &QPushButton::clicked, this, &TStyleEditForm::Button4Click);

    bindCaption(registry, QStringLiteral("[sStyleEdit]"), this);
    bindCaption(registry, QStringLiteral("[sUserStyle]"), SpeedButton3_);
    bindCaption(registry, QStringLiteral("[sDefaultStyle]"), SpeedButton1_);
    bindCaption(registry, QStringLiteral("[sSystemStyle]"), SpeedButton2_);
    bindCaption(registry, QStringLiteral("[sActimeColor]"), activeLabel);
    bindCaption(registry, QStringLiteral("[sUnActimeColor]"), unactiveLabel);
    bindCaption(registry, QStringLiteral("[sSelect]"), Button2_);
    bindCaption(registry, QStringLiteral("[sSelect]"), Button1_);
    bindCaption(registry, QStringLiteral("[sApply]"), Button3_);
    bindCaption(registry, QStringLiteral("[sClose]"), Button4_);

    readStored();
}

std::optional<StyleKind> TStyleEditForm::chosenStyle() const {
    return styleKindFromNumber(toggles_->checkedId());
}

StyleColors TStyleEditForm::previewColors() const {
    const std::optional<StyleKind> kind = chosenStyle();
    return kind ? colorsForStyle(*kind, user_, QGuiApplication::palette()) : styleColors();
}

void TStyleEditForm::readStored() {
    const StoredStyle stored = readStoredStyle(Settings());
    user_ = stored.user; // picks that were never applied are forgotten
    pressToggle(styleKindFromNumber(stored.number));
    updateControls();
}

void TStyleEditForm::pressToggle(std::optional<StyleKind> kind) {
    if (!kind) {
        // An unknown stored style presses no toggle.
        toggles_->setExclusive(false);
        for (QAbstractButton* b : toggles_->buttons())
            b->setChecked(false);
        toggles_->setExclusive(true);
        return;
    }
    toggles_->button(int(*kind))->setChecked(true);
}

void TStyleEditForm::updateControls() {
    const bool user = chosenStyle() == StyleKind::User;
    Button1_->setEnabled(user);
    Button2_->setEnabled(user);
    const StyleColors preview = previewColors();
    setShapeColor(Shape2_, preview.active);
    setShapeColor(Shape1_, preview.unactive);
}

void TStyleEditForm::pickUserColor(TColor& target) {
    const std::optional<QColor> picked = pickColor_(this, toQColor(target));
    if (!picked)
        return;
    target = fromQColor(*picked) & 0xFFFFFF;
    updateControls();
}

void TStyleEditForm::Button2Click() {
    pickUserColor(user_.active);
}

void TStyleEditForm::Button1Click() {
    pickUserColor(user_.unactive);
}

void TStyleEditForm::Button3Click() {
    if (const std::optional<StyleKind> kind = chosenStyle()) {
        Settings settings;
        writeStyleChoice(settings, *kind, user_);
        setStyleColors(previewColors());
    }
    accept();
}

void TStyleEditForm::Button4Click() {
    reject();
}

void TStyleEditForm::showEvent(QShowEvent* event) {
    readStored();
    QDialog::showEvent(event);
}

} // namespace lw
