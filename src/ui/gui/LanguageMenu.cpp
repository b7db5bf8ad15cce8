#include "ui/gui/LanguageMenu.h"

#include "ui/ErrorText.h"
#include "ui/Settings.h"
#include "ui/gui/ErrorBox.h"
#include "ui/gui/LangBind.h"

#include <QActionGroup>
#include <QCoreApplication>
#include <QFileDialog>

namespace lw {

namespace {

QString openLanguageFile(QWidget* parent, const QString& folder) {
    return QFileDialog::getOpenFileName(parent, QString(), folder,
                                        QStringLiteral("language file (*.lng)"));
}

void showError(QWidget* parent, const QString& title, const QString& text) {
    showErrorBox(parent, title, text);
}

} // namespace

TLanguageMenu::TLanguageMenu(QWidget* parent, Language& language, LangRegistry& registry)
    : QMenu(parent), language_(language), registry_(registry), pickFile_(openLanguageFile),
      reportError_(showError) {
    setObjectName(QStringLiteral("SelectLanguage1"));
    setTitle(QStringLiteral("Language"));
    auto* group = new QActionGroup(this);
    group->setExclusive(true);
    defaultEnglish_ = addAction(QStringLiteral("Default (English)"));
    defaultEnglish_->setObjectName(QStringLiteral("DefaultEnglish1"));
    select_ = addAction(QStringLiteral("Select..."));
    select_->setObjectName(QStringLiteral("Select1"));
    for (QAction* a : {defaultEnglish_, select_}) {
        a->setCheckable(true);
        group->addAction(a);
    }
    checkItems(language_.englishChosen());
    // The group has checked the clicked item before these run.
    connect(defaultEnglish_, &QAction::triggered, this, &TLanguageMenu::DefaultEnglish1Click);
    connect(select_, &QAction::triggered, this, &TLanguageMenu::SelectLanguage1Click);
    bindCaption(registry_, QStringLiteral("[mnuMainOptionsSelectlanguage]"), this);
}

void TLanguageMenu::checkItems(bool englishChosen) {
    (englishChosen ? defaultEnglish_ : select_)->setChecked(true);
}

void TLanguageMenu::startUp() {
    Settings settings;
    startUpLanguage(language_, settings);
    checkItems(language_.englishChosen());
    registry_.apply(language_);
}

void TLanguageMenu::DefaultEnglish1Click() {
    Settings settings;
    chooseDefaultEnglish(language_, settings);
    checkItems(true);
    registry_.apply(language_);
}

void TLanguageMenu::SelectLanguage1Click() {
    const bool wasEnglish = language_.englishChosen();
    // "Select..." is checked now; lookups follow the check even if the dialog is cancelled.
    language_.setEnglishChosen(false);
    checkItems(false);
    const QString path = pickFile_(parentWidget(), QCoreApplication::applicationDirPath());
    if (path.isEmpty())
        return;
    Settings settings;
    const Status chosen = chooseLanguageFile(language_, settings, path);
    if (!chosen) {
        // Nothing was loaded: go back to the choice and texts in use.
        language_.setEnglishChosen(wasEnglish);
        checkItems(wasEnglish);
        const Error& e = chosen.error();
        reportError_(parentWidget(), language_.text(QStringLiteral("[sError]")),
                     language_.text(QStringLiteral("[%1]").arg(QString::fromStdString(e.key))) +
                         QLatin1Char('\n') +
                         fileErrorDetail(path, QString::fromStdString(e.detail)));
        return;
    }
    registry_.apply(language_);
}

} // namespace lw
