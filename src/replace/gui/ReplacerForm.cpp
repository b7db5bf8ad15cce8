#include "replace/gui/ReplacerForm.h"

#include "editor/MapDocument.h"
#include "replace/DocumentReplace.h"
#include "replace/ReplaceQuery.h"
#include "ui/Language.h"
#include "ui/gui/LangBind.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QVBoxLayout>

namespace lw {

namespace {

QPushButton* makeButton(QWidget* parent, const char* name, const QString& text) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    return l;
}

// A field is named after the label beside it, without the label's colon.
QString withoutColon(QString text) {
    text = text.trimmed();
    if (text.endsWith(QLatin1Char(':')))
        text.chop(1);
    return text.trimmed();
}

void bindNameOfLabel(LangRegistry& registry, const QString& key, QWidget* control) {
    registry.add(key, control,
                 [control](const QString& t) { control->setAccessibleName(withoutColon(t)); });
}

void bindButtonCaption(LangRegistry& registry, const QString& key, QPushButton* button) {
    registry.add(key, button, [button](const QString& t) {
        button->setText(t);
        button->setAccessibleName(t);
    });
}

// Queries and node names are 8-bit text, as the map stores names.
std::string latin1(const QString& text) {
    return text.toLatin1().toStdString();
}

char localeDecimalPoint() {
    const QString point = QLocale().decimalPoint();
    return point.size() == 1 && point[0].unicode() < 128 ? char(point[0].unicode()) : '.';
}

} // namespace

TReplacer::TReplacer(MapDocument& doc, QWidget* parent, LangRegistry& registry)
    : QDialog(parent), doc_(doc) {
    setObjectName(QStringLiteral("Replacer"));
    setWindowTitle(QStringLiteral("Replacer"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setSizeGripEnabled(false);

    Label1 = makeLabel(this, "Label1", QStringLiteral("Find:"));
    FindEdit = new QLineEdit(this);
    FindEdit->setObjectName(QStringLiteral("FindEdit"));
    Label1->setBuddy(FindEdit);
    Label2 = makeLabel(this, "Label2", QStringLiteral("Replace:"));
    RepEdit = new QLineEdit(this);
    RepEdit->setObjectName(QStringLiteral("RepEdit"));
    Label2->setBuddy(RepEdit);
    Label4 = makeLabel(this, "Label4", QStringLiteral("Process:"));
    OutText = new QPlainTextEdit(this);
    OutText->setObjectName(QStringLiteral("OutText"));
    OutText->setReadOnly(true);
    OutText->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    OutText->setLineWrapMode(QPlainTextEdit::NoWrap);
    Label4->setBuddy(OutText);
    Label3 = makeLabel(this, "Label3", QStringLiteral("[Poxel]"));
    ReplaceBut = makeButton(this, "ReplaceBut", QStringLiteral("Replace"));
    ReplaceBut->setEnabled(false);
    Button2 = makeButton(this, "Button2", QStringLiteral("*Const*"));
    Button1 = makeButton(this, "Button1", QStringLiteral("Close"));

    auto* grid = new QGridLayout;
    grid->addWidget(Label1, 0, 0);
    grid->addWidget(FindEdit, 0, 1);
    grid->addWidget(Label2, 1, 0);
    grid->addWidget(RepEdit, 1, 1);
    grid->addWidget(Label4, 2, 0, Qt::AlignTop);
    grid->addWidget(OutText, 2, 1);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(2, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Label3, 1);
    buttons->addWidget(ReplaceBut);
    buttons->addWidget(Button2);
    buttons->addWidget(Button1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    resize(460, 380);

    connect(FindEdit, &QLineEdit::textChanged, this, &TReplacer::FindEditChange);
    connect(RepEdit, &QLineEdit::textChanged, this, &TReplacer::FindEditChange);
    connect(ReplaceBut, &QPushButton::clicked, this, &TReplacer::ReplaceButClick);
    connect(Button2, &QPushButton::clicked, this, &TReplacer::Button2Click);
    connect(Button1, &QPushButton::clicked, this, &TReplacer::Button1Click);

    // The start node can only leave the map while the window is closed (undo, a new map), but
    // it must never be used after that.
    connect(&doc_, &MapDocument::nodeAboutToBeRemoved, this,
            [this](TPoxel*, TPoxel* node) { forgetStartIfIn(*node); });
    connect(&doc_, &MapDocument::documentAboutToBeReplaced, this, [this] {
        if (start_)
            forgetStartIfIn(*start_);
    });
    connect(&doc_, &MapDocument::nodeChanged, this, [this](TPoxel* node, NodeChanges what) {
        if (node == start_ && (what & NodeChange::Name))
            showStartName();
    });

    bindCaption(registry, QStringLiteral("[sReplacer]"), this);
    bindCaption(registry, QStringLiteral("[sFind]"), Label1);
    bindNameOfLabel(registry, QStringLiteral("[sFind]"), FindEdit);
    bindCaption(registry, QStringLiteral("[slabReplace]"), Label2);
    bindNameOfLabel(registry, QStringLiteral("[slabReplace]"), RepEdit);
    bindCaption(registry, QStringLiteral("[sProcess]"), Label4);
    bindNameOfLabel(registry, QStringLiteral("[sProcess]"), OutText);
    bindButtonCaption(registry, QStringLiteral("[sReplace]"), ReplaceBut);
    bindButtonCaption(registry, QStringLiteral("[sConst]"), Button2);
    bindButtonCaption(registry, QStringLiteral("[sClose]"), Button1);
    bindString(registry, QStringLiteral("[sStrConst]"), this, &constantsTitle_);
    registry.apply(appLanguage());
}

void TReplacer::openOn(TPoxel& start) {
    start_ = &start;
    showStartName();
    OutText->clear();
    ready_ = true;
    FindEditChange();
}

void TReplacer::showStartName() {
    Label3->setText(start_ ? QStringLiteral("[%1]").arg(QString::fromLatin1(start_->Name))
                           : QStringLiteral("[]"));
}

void TReplacer::forgetStartIfIn(const TPoxel& removed) {
    if (!start_ || !isInSubtree(removed, *start_))
        return;
    start_ = nullptr;
    ready_ = false;
    showStartName();
    FindEditChange();
}

void TReplacer::FindEditChange() {
    // A disabled button says what it waits for.
    const char* why = !start_                                         ? "[sReplaceNoStart]"
                      : !ready_                                       ? "[sReplaceOncePerOpening]"
                      : !queryLooksRunnable(latin1(FindEdit->text())) ? "[sReplaceFindForm]"
                      : !queryLooksRunnable(latin1(RepEdit->text()))  ? "[sReplaceReplaceForm]"
                                                                      : nullptr;
    ReplaceBut->setEnabled(!why);
    ReplaceBut->setToolTip(why ? langText(why) : QString());
}

void TReplacer::ReplaceButClick() {
    if (!ReplaceBut->isEnabled() || !start_)
        return;
    ReplaceSettings settings;
    settings.Seed = seed_;
    settings.DecimalPoint = localeDecimalPoint();

    QApplication::setOverrideCursor(Qt::WaitCursor);
    const ReplaceReport report = replaceInDocument(doc_, *start_, latin1(FindEdit->text()),
                                                   latin1(RepEdit->text()), settings);
    QApplication::restoreOverrideCursor();

    QStringList lines = report.Log;
    if (!report.Outcome) {
        lines.append(QString::fromLatin1(report.Outcome.error().message()));
        lines.append(langText("[sReplaceUnchanged]"));
    }
    OutText->setPlainText(lines.join(QLatin1Char('\n')));
    OutText->moveCursor(QTextCursor::End);
    // One run per opening; a refused run changed nothing, so the queries may be mended and run.
    if (report.Outcome)
        ready_ = false;
    FindEditChange();
}

void TReplacer::Button2Click() {
    const QString text = QString::fromLatin1(replaceSyntaxText("\n"));
    if (showMessage_)
        showMessage_(this, constantsTitle_, text);
    else
        QMessageBox::information(this, constantsTitle_, text);
}

void TReplacer::Button1Click() {
    close();
}

} // namespace lw
