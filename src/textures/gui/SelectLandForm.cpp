#include "textures/gui/SelectLandForm.h"

#include "ui/Language.h"
#include "ui/Settings.h"
#include "ui/gui/LangBind.h"

#include <QComboBox>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace lw {

bool ChooseGameFolder(QWidget* parent, const QString& prompt, QString& folder,
                      GameFolderLayout* layout) {
    folder.clear();
    Settings settings;
    QString start =
        settings.string(QString::fromLatin1(settings::kPathBundles)).value_or(QString());
    for (;;) {
        const QString chosen = QFileDialog::getExistingDirectory(parent, prompt, start);
        if (chosen.isEmpty())
            return false;
        const GameFolderLayout found = detectGameFolderLayout(chosen);
        if (found == GameFolderLayout::None) {
            // The native chooser cannot grey out OK per folder: say what the folder lacks and
            // ask again.
            const QString why = formatLangText(langText("[sBundleFolderMissing]"),
                                               {missingGameFolderEntries(chosen).join(", ")});
            QMessageBox::warning(parent, langText("[sError]"),
                                 chosen + QStringLiteral("\n\n") + why + QStringLiteral("\n\n") +
                                     prompt);
            start = chosen;
            continue;
        }
        folder = chosen;
        if (layout)
            *layout = found;
        settings.setString(QString::fromLatin1(settings::kPathBundles), chosen);
        return true;
    }
}

TSelectLandForm::TSelectLandForm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("SelectLandForm"));
    auto* layout = new QVBoxLayout(this);
    LandName = new QComboBox(this);
    LandName->setObjectName(QStringLiteral("LandName"));
    LandName->addItems({QStringLiteral("Lunar"), QStringLiteral("War"), QStringLiteral("Pirate"),
                        QStringLiteral("England"), QStringLiteral("Horror"),
                        QStringLiteral("Arctic")});
    LandName->setCurrentText(QStringLiteral("Pirate"));
    LoadBut = new QPushButton(this);
    LoadBut->setObjectName(QStringLiteral("LoadBut"));
    layout->addWidget(LandName);
    layout->addWidget(LoadBut);
    connect(LoadBut, &QPushButton::clicked, this, &TSelectLandForm::LoadButClick);
    LangRegistry& r = appLangRegistry();
    bindCaption(r, QStringLiteral("[sSelectLandLibrary]"), this);
    bindCaption(r, QStringLiteral("[sLoad]"), LoadBut);
    bindString(r, QStringLiteral("[sSelectFolderBundles]"), this, &prompt_);
    r.apply(appLanguage());
}

void TSelectLandForm::LoadButClick() {
    land_ = LandName->currentText();
    accept();
}

bool TSelectLandForm::choose(QWidget* parent, QString* land, QString* folder) {
    TSelectLandForm form(parent);
    QString chosen;
    if (!ChooseGameFolder(parent, form.prompt_, chosen))
        return false;
    form.folder_ = chosen + QLatin1Char('/');
    if (form.exec() != QDialog::Accepted)
        return false;
    *land = form.land_;
    *folder = form.folder_;
    return true;
}

} // namespace lw
